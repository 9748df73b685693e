#pragma once

#include <deque>
#include <functional>

class QDialog;
class QObject;

namespace trovel {

// Every modal dialog and message box of the window is run through one seam,
// so that tests (and tools that drive the window) can answer them without a
// person. Two ways are open:
//   - answer in advance: AnswerNext queues a function that gets the prepared
//     dialog instead of a person, fills it in and returns what exec() would
//     have returned; answers are used in the order queued;
//   - let the real dialog run and answer it from a zero-delay timer that finds
//     it through QApplication::activeModalWidget(). For that, file dialogs must
//     be Qt's own widgets: SetNativeDialogs(false).
// A modal component that is no QDialog of its own (the folder chooser) runs
// through Run with the function that shows it; an answer then gets the
// component itself, fills it in (its Folder, say) and returns what showing it
// would have returned.
class TModalSeam final
{
public:
    // Gets the dialog (a QDialog, or the component given to Run) and returns
    // its result code.
    using TAnswer = std::function<int(QObject &Dialog)>;

    void AnswerNext(TAnswer Answer) { FAnswers.push_back(std::move(Answer)); }
    // Answers every dialog for which no answer is queued (a test's safety net
    // against a dialog it did not expect); empty: such dialogs are shown.
    void AnswerOthers(TAnswer Answer) { FOtherAnswer = std::move(Answer); }
    int PendingAnswers() const { return static_cast<int>(FAnswers.size()); }
    // Dialogs run so far, answered in advance or shown.
    int RunCount() const { return FRunCount; }

    // Whether file dialogs may use the desktop's native dialog (a native
    // dialog cannot be found through activeModalWidget()).
    bool NativeDialogs() const { return FNativeDialogs; }
    void SetNativeDialogs(bool Allowed) { FNativeDialogs = Allowed; }

    // Runs Dialog modally, or hands it to the next queued answer.
    int Exec(QDialog &Dialog);
    // Shows Dialog by calling Show, or hands it to the next queued answer.
    int Run(QObject &Dialog, const std::function<int()> &Show);

private:
    std::deque<TAnswer> FAnswers;
    TAnswer FOtherAnswer;
    int FRunCount = 0;
    bool FNativeDialogs = true;
};

} // namespace trovel
