#include "base/Failure.h"
#include "base/StringProcedures.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox;
using namespace chimebox::strings;

class TestStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void zerostPadsToWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keta");
        QTest::addColumn<QString>("result");
        QTest::newRow("5") << QStringLiteral("5") << 2 << QStringLiteral("05");
        QTest::newRow("23") << QStringLiteral("23") << 2 << QStringLiteral("23");
        QTest::newRow("0") << QStringLiteral("0") << 2 << QStringLiteral("00");
        // The space counts for the width and is then removed.
        QTest::newRow("space and digit") << QStringLiteral(" 7") << 2 << QStringLiteral("7");
        QTest::newRow("empty") << QString() << 2 << QStringLiteral("00");
    }

    void zerostPadsToWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, keta);
        QFETCH(QString, result);
        QCOMPARE(zerost(text, keta), result);
    }

    void zerostRefusesTextWiderThanWidth()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, zerost(QStringLiteral("123"), 2));
    }

    void separators()
    {
        QCOMPARE(leftin(QStringLiteral("07:30"), QStringLiteral(":")), QStringLiteral("07"));
        QCOMPARE(leftin(QString(), QStringLiteral(":")), QString());
        QVERIFY_THROWS_EXCEPTION(Failure, leftin(QStringLiteral("0730"), QStringLiteral(":")));
        QCOMPARE(mider(QStringLiteral("07:30:15"), QStringLiteral(":")), QStringLiteral("30:15"));
        // Not found: from position len(separator), counted from 1.
        QCOMPARE(mider(QStringLiteral("0730"), QStringLiteral(":")), QStringLiteral("0730"));
        QCOMPARE(mider(QStringLiteral("0730"), QStringLiteral("::")), QStringLiteral("730"));
        QCOMPARE(leftin(QStringLiteral("aXbx"), QStringLiteral("x")), QStringLiteral("aXb"));
    }
};

CHIMEBOX_TEST_MAIN(TestStrings)
#include "test_string_procedures.moc"
