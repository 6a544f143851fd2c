#include "core/scheduler/Clock.h"
#include "support/TestMain.h"

#include <QDateTime>
#include <QTest>

using namespace chimebox::scheduler;

class TestClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textsOfAnInstant_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        // Before ten o'clock the hour still has two digits, or "07:30" would
        // never match.
        QTest::newRow("morning") << QTime(7, 5, 9) << "07:05:09";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "00:00:00";
        QTest::newRow("afternoon") << QTime(13, 30, 0) << "13:30:00";
        QTest::newRow("last second") << QTime(23, 59, 59) << "23:59:59";
    }
    void textsOfAnInstant()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(timeTextOf(time), text);
    }

    void datesDifferEveryDay()
    {
        QCOMPARE(dateTextOf(QDate(2024, 3, 1)), QStringLiteral("03-01-2024"));
        QCOMPARE(dateTextOf(QDate(2025, 12, 31)), QStringLiteral("12-31-2025"));
        QVERIFY(dateTextOf(QDate(2024, 3, 1)) != dateTextOf(QDate(2025, 3, 1)));
    }

    void theSystemClockReadsNow()
    {
        const SystemClock clock;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const QDateTime before = QDateTime::currentDateTime();
            const QString time = clock.timeText();
            const QString date = clock.dateText();
            const QDateTime now = clock.now();
            const QDateTime after = QDateTime::currentDateTime();
            if (before.time().second() != after.time().second() || before.date() != after.date())
                continue; // a second boundary passed mid-way
            QCOMPARE(time, timeTextOf(before.time()));
            QCOMPARE(date, dateTextOf(before.date()));
            // The same wall clock, at its place in real time.
            QCOMPARE(timeTextOf(now.time()), time);
            QVERIFY(before <= now && now <= after);
            return;
        }
        QFAIL("the clock kept crossing second boundaries");
    }
};

CHIMEBOX_TEST_MAIN(TestClock)
#include "test_clock.moc"
