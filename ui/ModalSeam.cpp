#include "ModalSeam.h"

#include <QDialog>

namespace trovel {

int TModalSeam::Exec(QDialog &Dialog)
{
    return Run(Dialog, [&Dialog] { return Dialog.exec(); });
}

int TModalSeam::Run(QObject &Dialog, const std::function<int()> &Show)
{
    ++FRunCount;
    if (FAnswers.empty())
        return FOtherAnswer ? FOtherAnswer(Dialog) : Show();
    const TAnswer answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer(Dialog);
}

} // namespace trovel
