#pragma once

#include <QString>

#include <functional>

namespace trovel {

// No exception may unwind through Qt's event dispatch. Every command and event
// handler of the window runs inside Run, which hands an escaping exception's
// message to the error display; the event loop then goes on.
class TCommandGuard final
{
public:
    using TErrorDisplay = std::function<void(const QString &Message)>;

    explicit TCommandGuard(TErrorDisplay ErrorDisplay) : FErrorDisplay(std::move(ErrorDisplay)) {}

    template <typename Command>
    void Run(Command &&Handler) noexcept
    {
        try {
            Handler();
        } catch (...) {
            ShowCurrentException();
        }
    }

    // The message the user sees for the exception being handled: the text of
    // the program's own error kinds, "Zu wenig Arbeitsspeicher" for exhausted
    // memory, what() for anything else.
    static QString CurrentExceptionMessage();

private:
    void ShowCurrentException() noexcept;

    TErrorDisplay FErrorDisplay;
};

} // namespace trovel
