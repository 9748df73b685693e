#pragma once

#include "Collation.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <string>
#include <vector>

namespace trovel {

// One row of the file list: what it shows and the entry behind it.
struct TFileRow
{
    std::int32_t EntryIndex = 0;
    std::uint32_t Size = 0;
    QString Caption;
};

// The files of one folder: "Filename" and "Size" columns, rows in the order of
// their captions. The order comes from sort keys made once per row, so a fill
// of any size is one sort. Rows are read-only; the entry index of a row is what
// the commands use.
class TFileListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int EntryIndexRole = Qt::UserRole;

    explicit TFileListModel(TCollator Collator, QObject *Parent = nullptr);

    // Replaces every row and sorts once.
    void Fill(std::vector<TFileRow> Rows);
    void Clear() { Fill({}); }

    const TFileRow &Row(int Position) const { return FRows[Position].Row; }

    int rowCount(const QModelIndex &Parent = {}) const override;
    int columnCount(const QModelIndex &Parent = {}) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &Index) const override;

private:
    struct TSortedRow
    {
        TFileRow Row;
        // The row's sort key in FKeys.
        std::size_t KeyOffset = 0;
        std::size_t KeyLength = 0;
    };

    void MakeKey(TSortedRow &Row);
    bool Before(const TSortedRow &Left, const TSortedRow &Right) const;

    TCollator FCollator;
    std::vector<TSortedRow> FRows;
    std::string FKeys;
};

} // namespace trovel
