#include "ModalSeam.h"

#include <QDialog>

namespace trovel {

int TModalSeam::Exec(QDialog &Dialog)
{
    ++FRunCount;
    if (FAnswers.empty())
        return FOtherAnswer ? FOtherAnswer(Dialog) : Dialog.exec();
    const TAnswer answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer(Dialog);
}

TModalSeam::TExecFunction TModalSeam::ExecFunction()
{
    return [this](QDialog &Dialog) { return Exec(Dialog); };
}

} // namespace trovel
