#pragma once

#include <QTreeView>

namespace trovel {

// The folder tree's view: tree lines and hot tracking in any style (see
// TTreeStyle), one column as wide as the nodes near the visible rows, so that
// a horizontal scroll bar reaches the deepest of them, and a scroll to a node
// that brings the node's button, icon and text into view sideways as well.
class TFolderTreeView final : public QTreeView
{
    Q_OBJECT

public:
    explicit TFolderTreeView(QWidget *Parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFolderTreeView)

    void scrollTo(const QModelIndex &Index, ScrollHint Hint = EnsureVisible) override;

protected:
    void updateGeometries() override;
    int sizeHintForColumn(int Column) const override;

private:
    bool FFitting = false;
};

} // namespace trovel
