#include "BrowserDriver.h"

#include "FolderBrowser.h"
#include "FolderPlacesModel.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeView>

namespace trovel::testing {

bool TBrowserDriver::IsBrowser(const QWidget &Modal)
{
    return Modal.objectName() == u"folderBrowser";
}

bool TBrowserDriver::IsNameInput(const QWidget &Modal)
{
    return Modal.objectName() == u"folderNameInput";
}

QTreeView &TBrowserDriver::Tree() const
{
    return *FBrowser.findChild<QTreeView *>(QStringLiteral("folderTree"));
}

QLabel &TBrowserDriver::TitleLabel() const
{
    return *FBrowser.findChild<QLabel *>(QStringLiteral("titleLabel"));
}

QLabel &TBrowserDriver::StatusText() const
{
    return *FBrowser.findChild<QLabel *>(QStringLiteral("statusText"));
}

QPushButton &TBrowserDriver::Button(const char *Name) const
{
    return *FBrowser.findChild<QPushButton *>(QLatin1String(Name));
}

QPushButton &TBrowserDriver::OkButton() const
{
    return Button("okButton");
}

QPushButton &TBrowserDriver::CancelButton() const
{
    return Button("cancelButton");
}

QPushButton &TBrowserDriver::NewFolderButton() const
{
    return Button("newFolderButton");
}

void TBrowserDriver::Select(const QString &Path) const
{
    qobject_cast<TBrowserWindow *>(&FBrowser)->SetSelection(Path);
}

QString TBrowserDriver::CurrentPath() const
{
    return Tree().currentIndex().data(TFolderPlacesModel::PathRole).toString();
}

bool TBrowserDriver::CurrentInView() const
{
    const QTreeView &view = Tree();
    const QRect item = view.visualRect(view.currentIndex());
    const QRect viewport = view.viewport()->rect();
    return item.intersects(viewport) && item.top() >= 0 && item.bottom() <= viewport.bottom();
}

QStringList TBrowserDriver::TopItems() const
{
    const QAbstractItemModel &model = *Tree().model();
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.index(row, 0).data().toString();
    return names;
}

QStringList TBrowserDriver::TabOrder() const
{
    QStringList names;
    QWidget *start = &Tree();
    QWidget *widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled())
            names << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != start);
    return names;
}

} // namespace trovel::testing
