#include "FileListModel.h"

#include <algorithm>

namespace trovel {

namespace {

enum TColumn
{
    ColumnFilename,
    ColumnSize,
    ColumnCount
};

} // namespace

TFileListModel::TFileListModel(TCollator Collator, QObject *Parent)
    : QAbstractTableModel(Parent), FCollator(std::move(Collator))
{
}

void TFileListModel::MakeKey(TSortedRow &Row)
{
    Row.KeyOffset = FKeys.size();
    FCollator.AppendSortKey(Row.Row.Caption, FKeys);
    Row.KeyLength = FKeys.size() - Row.KeyOffset;
}

// Rows whose captions collate equal keep the order of their entries.
bool TFileListModel::Before(const TSortedRow &Left, const TSortedRow &Right) const
{
    const std::string_view keys(FKeys);
    const int order = keys.substr(Left.KeyOffset, Left.KeyLength)
                          .compare(keys.substr(Right.KeyOffset, Right.KeyLength));
    if (order != 0)
        return order < 0;
    return Left.Row.EntryIndex < Right.Row.EntryIndex;
}

void TFileListModel::Fill(std::vector<TFileRow> Rows)
{
    std::vector<TSortedRow> sorted;
    sorted.reserve(Rows.size());
    std::string keys;
    keys.reserve(Rows.size() * 48);
    FKeys.swap(keys);
    try {
        for (TFileRow &row : Rows) {
            sorted.push_back(TSortedRow{std::move(row)});
            MakeKey(sorted.back());
        }
    } catch (...) {
        FKeys.swap(keys);
        throw;
    }
    std::sort(
        sorted.begin(), sorted.end(),
        [this](const TSortedRow &Left, const TSortedRow &Right) { return Before(Left, Right); });
    beginResetModel();
    FRows.swap(sorted);
    endResetModel();
}

int TFileListModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TFileListModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex &Index, int Role) const
{
    if (!checkIndex(Index, CheckIndexOption::IndexIsValid))
        return {};
    const TFileRow &row = FRows[Index.row()].Row;
    switch (Role) {
    case Qt::DisplayRole:
        if (Index.column() == ColumnFilename)
            return row.Caption;
        return QString::number(row.Size);
    case Qt::TextAlignmentRole:
        if (Index.column() == ColumnSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case EntryIndexRole:
        return row.EntryIndex;
    default:
        return {};
    }
}

QVariant TFileListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal)
        return {};
    if (Role == Qt::DisplayRole) {
        if (Section == ColumnFilename)
            return QStringLiteral("Filename");
        if (Section == ColumnSize)
            return QStringLiteral("Size");
    }
    if (Role == Qt::TextAlignmentRole && Section == ColumnSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex &Index) const
{
    if (!Index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace trovel
