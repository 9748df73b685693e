#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeView;
class QWidget;

namespace trovel::testing {

// The folder chooser's real browser window, worked as a person would. Only
// this class knows the object names the browser gives its widgets; a test
// finds the window among the modal widgets with IsBrowser (and the chooser's
// input box for a new folder's name with IsNameInput).
class TBrowserDriver final
{
public:
    explicit TBrowserDriver(QWidget &Browser) : FBrowser(Browser) {}

    static bool IsBrowser(const QWidget &Modal);
    static bool IsNameInput(const QWidget &Modal);

    QWidget &Window() const { return FBrowser; }
    QTreeView &Tree() const;
    QLabel &TitleLabel() const;
    QLabel &StatusText() const;
    QPushButton &OkButton() const;
    QPushButton &CancelButton() const;
    QPushButton &NewFolderButton() const;

    // Selects the folder Path, as the chooser's callback would.
    void Select(const QString &Path) const;
    // The path of the current item of the tree.
    QString CurrentPath() const;
    // Whether the current item is scrolled into the tree's view.
    bool CurrentInView() const;
    // The texts of the tree's top items.
    QStringList TopItems() const;
    // The object names of the widgets that Tab visits, from the tree on.
    QStringList TabOrder() const;

private:
    QPushButton &Button(const char *Name) const;

    QWidget &FBrowser;
};

} // namespace trovel::testing
