#pragma once

#include <deque>
#include <functional>

class QDialog;

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
// A component that lives outside this library (the folder chooser) plugs in
// through ExecFunction(), a plain std::function that runs a QDialog.
class TModalSeam final
{
public:
    using TAnswer = std::function<int(QDialog &Dialog)>;
    using TExecFunction = std::function<int(QDialog &Dialog)>;

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
    TExecFunction ExecFunction();

private:
    std::deque<TAnswer> FAnswers;
    TAnswer FOtherAnswer;
    int FRunCount = 0;
    bool FNativeDialogs = true;
};

} // namespace trovel
