#include "base/NativeName.h"
#include "core/browse/NaturalOrder.h"
#include "support/TestMain.h"

#include <QCollator>
#include <QScopeGuard>
#include <QTest>

using namespace chimebox;
using namespace chimebox::browse;

class TestNaturalOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesTheCollatorHoldsEqualKeepOneOrder();
    void naturalOrderIsTheCollatorsInEveryLanguage_data();
    void naturalOrderIsTheCollatorsInEveryLanguage();
    void aLongListSortsLikeAShortOne();
};

void TestNaturalOrder::namesTheCollatorHoldsEqualKeepOneOrder()
{
    // Names the collator ranks alike still come out in one fixed order.
    QStringList first = {"a.mp3", "A.mp3", "ａ.mp3"};
    QStringList second = {"ａ.mp3", "A.mp3", "a.mp3"};
    sortNaturally(first);
    sortNaturally(second);
    QCOMPARE(first, second);
}

void TestNaturalOrder::naturalOrderIsTheCollatorsInEveryLanguage_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QLocale>("collatedAs");
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QTest::newRow("C, collated as Japanese") << QLocale::c() << japanese;
    QTest::newRow("Japanese") << japanese << japanese;
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                            << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden)
                             << QLocale(QLocale::Swedish, QLocale::Sweden);
}

// The order is Qt's collator in numeric mode for the user's language, names
// it holds equal then by code; the keys are built apart from QCollator, so
// they are held against it on names that tell collations apart.
void TestNaturalOrder::naturalOrderIsTheCollatorsInEveryLanguage()
{
    QFETCH(QLocale, locale);
    QFETCH(QLocale, collatedAs);
    const QStringList names = {
        "track 10.mp3",
        "Track 9.mp3",
        "track 009.mp3",
        "track 9.mp3",
        "track9.mp3",
        "a.mp3",
        "A.mp3",
        "ａ.mp3",
        "á.mp3",
        "a\u0301.mp3",
        "Ä.mp3",
        "ae.mp3",
        "æ.mp3",
        "z.mp3",
        "ö.mp3",
        "o.mp3",
        "01.mp3",
        "1.mp3",
        "001.mp3",
        "１０.mp3",
        "2.mp3",
        "あさ.mp3",
        "アサ.mp3",
        "ｱｻ.mp3",
        "いぬ.mp3",
        "朝.mp3",
        "ー.mp3",
        "_x.mp3",
        "-x.mp3",
        " x.mp3",
        "(1).mp3",
        "x y.mp3",
        "x-y.mp3",
        "é.mp3",
        "e.mp3",
        "E.mp3",
        "ß.mp3",
        "ss.mp3",
        "\U0001D11E.mp3",
        "ｚ.mp3",
        "一.mp3",
        "亜.mp3",
        "a\u0301\u0323.mp3",
        "a\u0323\u0301.mp3",
        "ạ́.mp3",
        "v12345678901234567890.mp3",
        "v12345678901234567891.mp3",
        "",
    };
    QCollator collator(collatedAs);
    collator.setNumericMode(true);
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });

    const QLocale before;
    QLocale::setDefault(locale);
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    QStringList sorted = names;
    std::reverse(sorted.begin(), sorted.end());
    sortNaturally(sorted);
    QCOMPARE(sorted, expected);
}

// Long lists are sorted in parts that are merged; the order is the same, and
// the same again for the names as the file system spells them.
void TestNaturalOrder::aLongListSortsLikeAShortOne()
{
    const QStringList forms = {"track %1.mp3",     "Track %1.MP3",
                               "曲 %1.wma",        "%1.wav",
                               "ｔｒａｃｋ%1.mp3", nativename::decode("caf\xe9 %1.mp3")};
    QStringList names;
    for (int i = 0; i < 6000; ++i)
        names.append(forms[i % forms.size()].arg(i * 7919 % 6000));
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    NameList native;
    for (const QString &name : names)
        native.append(name);
    sortNaturally(names);
    QCOMPARE(names, expected);
    sortNaturally(native);
    QCOMPARE(native.toStringList(), expected);
}

CHIMEBOX_TEST_MAIN(TestNaturalOrder)
#include "test_natural_order.moc"
