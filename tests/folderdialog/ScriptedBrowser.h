#pragma once

#include "FolderBrowser.h"

#include <QList>
#include <QPushButton>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace trovel::testing {

// A browser window that is never shown: the test selects items and the window
// records what the chooser sends it.
class TScriptedWindow final : public TBrowserWindow
{
public:
    explicit TScriptedWindow(const TBrowseInfo &Info) : FCallback(Info.Callback)
    {
        setFixedSize(320, 380);
    }

    void SetStatusText(const QString &Text, const QString &ToolTip) override
    {
        StatusText = Text;
        StatusToolTip = ToolTip;
    }
    void EnableOk(bool Enable) override { OkEnabled = Enable; }
    void SetSelection(const QString &Path) override { Select(TBrowseItem::FromPath(Path)); }
    void SetSelection(const TBrowseItem &Item) override { Select(Item); }
    void Cancel() override { Cancelled = true; }

    // What the user's click on an item of the tree does.
    void Select(const TBrowseItem &Item)
    {
        Selection = Item;
        FCallback(*this, TBrowseMessage::SelectionChanged, &*Selection);
    }
    void Select(const QString &Path) { Select(TBrowseItem::FromPath(Path)); }

    QPushButton *NewFolderButton() const
    {
        return findChild<QPushButton *>(QStringLiteral("newFolderButton"));
    }

    std::optional<TBrowseItem> Selection;
    QString StatusText;
    QString StatusToolTip;
    bool OkEnabled = true;
    bool Cancelled = false;

private:
    TBrowseCallback FCallback;
};

// One showing of the browser: acts on the open window and answers OK (true)
// or Cancel (false).
using TPass = std::function<bool(TScriptedWindow &Wnd)>;

class TScriptedBrowser final : public TFolderBrowser
{
public:
    std::optional<TBrowseItem> BrowseForFolder(const TBrowseInfo &Info) override
    {
        Infos.append(Info);
        TScriptedWindow wnd(Info);
        Info.Callback(wnd, TBrowseMessage::Initialized, nullptr);
        StartSelections.append(wnd.Selection ? wnd.Selection->Path : QString());
        if (Passes.empty()) {
            ++UnscriptedPasses;
            return std::nullopt;
        }
        const TPass pass = std::move(Passes.front());
        Passes.pop_front();
        const bool ok = pass(wnd);
        if (wnd.Cancelled || !ok)
            return std::nullopt;
        return wnd.Selection;
    }

    QString InputBox(QWidget *, const QString &Caption, const QString &,
                     const QString &Default) override
    {
        InputCaptions.append(Caption);
        return Answers.isEmpty() ? Default : Answers.takeFirst();
    }

    void ShowWarning(QWidget *, const QString &Caption, const QString &Text) override
    {
        Warnings.append(Caption + u'|' + Text);
    }

    // The script.
    std::deque<TPass> Passes;
    QStringList Answers;

    // What the browser was asked and shown.
    QList<TBrowseInfo> Infos;
    QStringList StartSelections; // the selection once Initialized was handled
    QStringList InputCaptions;
    QStringList Warnings;
    int UnscriptedPasses = 0;
};

} // namespace trovel::testing
