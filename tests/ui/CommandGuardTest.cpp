// Every failure of a command becomes its message.
#include "CommandGuard.h"
#include "ArcErrors.h"

#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

using namespace trovel;

class TCommandGuardTest final : public QObject
{
    Q_OBJECT

private slots:
    void guardTurnsEveryExceptionIntoItsMessage_data();
    void guardTurnsEveryExceptionIntoItsMessage();
};

void TCommandGuardTest::guardTurnsEveryExceptionIntoItsMessage_data()
{
    QTest::addColumn<std::function<void()>>("command");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no failure") << std::function<void()>([] {}) << QStringList{};
    QTest::newRow("open error") << std::function<void()>([] { throw EFOpenError("/x/a.arc"); })
                                << QStringList{"Datei /x/a.arc kann nicht geöffnet werden"};
    QTest::newRow("read error") << std::function<void()>([] { throw EReadError(); })
                                << QStringList{"Stream-Lesefehler"};
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << QStringList{"Zu wenig Arbeitsspeicher"};
    QTest::newRow("other") << std::function<void()>([] { throw std::runtime_error("x y"); })
                           << QStringList{"x y"};
}

void TCommandGuardTest::guardTurnsEveryExceptionIntoItsMessage()
{
    QFETCH(std::function<void()>, command);
    QFETCH(QStringList, shown);
    QStringList messages;
    TCommandGuard guard([&](const QString &Message) { messages.append(Message); });
    guard.Run(command);
    QCOMPARE(messages, shown);
}

QTEST_MAIN(TCommandGuardTest)
#include "CommandGuardTest.moc"