#include "FileListModel.h"

#include <algorithm>
#include <numeric>

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

void TFileListModel::SortRows()
{
    std::vector<int> order(FRows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int Left, int Right) { return Before(FRows[Left], FRows[Right]); });
    if (std::is_sorted(order.begin(), order.end()))
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(FRows.size());
    std::vector<TSortedRow> sorted;
    sorted.reserve(FRows.size());
    for (std::size_t position = 0; position < order.size(); ++position) {
        newRowOf[order[position]] = static_cast<int>(position);
        sorted.push_back(std::move(FRows[order[position]]));
    }
    FRows.swap(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(index.isValid() ? createIndex(newRowOf[index.row()], index.column())
                                     : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
    case Qt::EditRole:
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

bool TFileListModel::setData(const QModelIndex &Index, const QVariant &Value, int Role)
{
    if (Role != Qt::EditRole || !checkIndex(Index, CheckIndexOption::IndexIsValid) ||
        Index.column() != ColumnFilename)
        return false;
    const QString caption = Value.toString();
    TSortedRow &row = FRows[Index.row()];
    if (caption == row.Row.Caption)
        return true;
    row.Row.Caption = caption;
    MakeKey(row);
    emit dataChanged(Index, Index, {Qt::DisplayRole, Qt::EditRole});
    SortRows();
    return true;
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
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (Index.column() == ColumnFilename)
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace trovel
