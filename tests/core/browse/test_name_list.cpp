#include "base/NativeName.h"
#include "core/browse/NameList.h"
#include "support/TestMain.h"

#include <QTest>
#include <vector>

using namespace chimebox;
using namespace chimebox::browse;

class TestNameList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aNameReadsAsTheFileSystemSpellsIt_data();
    void aNameReadsAsTheFileSystemSpellsIt();
    void listsJoinedAndReorderedKeepEveryName();
};

void TestNameList::aNameReadsAsTheFileSystemSpellsIt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QByteArray("track 1.mp3");
    QTest::newRow("Japanese") << QByteArray("朝の曲 12.wav");
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff.mp3");
    QTest::newRow("empty") << QByteArray();
}

// Between two other names, so each one's end is where it should be.
void TestNameList::aNameReadsAsTheFileSystemSpellsIt()
{
    QFETCH(QByteArray, bytes);
    NameList names;
    names.append(QByteArrayView("a.mp3"));
    names.append(QByteArrayView(bytes));
    names.append(nativename::decode(bytes));
    names.append(QByteArrayView("z"));
    QCOMPARE(names.size(), 4);
    for (int index : {1, 2}) {
        QCOMPARE(names.bytesAt(index), QByteArrayView(bytes));
        QCOMPARE(names.at(index), nativename::decode(bytes));
    }
    QCOMPARE(names.at(3), QStringLiteral("z"));
    QCOMPARE(names.at(4), QString());
    QCOMPARE(names.at(-1), QString());
    // Found by its text, the first of equal names.
    QCOMPARE(names.indexOf(nativename::decode(bytes)), 1);
    QCOMPARE(names.indexOf(QStringLiteral("b.mp3")), -1);
}

void TestNameList::listsJoinedAndReorderedKeepEveryName()
{
    NameList first;
    for (const char *name : {"one", "two"})
        first.append(QByteArrayView(name));
    NameList joined = first;
    NameList second;
    for (const char *name : {"三", "four"})
        second.append(QByteArrayView(name));
    joined.append(second);
    const std::vector<qsizetype> order = {3, 0, 2, 1};
    joined.reorder(order);
    QCOMPARE(joined.toStringList(), (QStringList{"four", "one", "三", "two"}));
    // A copy shares the names only until one of them changes.
    QCOMPARE(first.toStringList(), (QStringList{"one", "two"}));
    joined.squeeze();
    QCOMPARE(joined.at(2), QStringLiteral("三"));
}

CHIMEBOX_TEST_MAIN(TestNameList)
#include "test_name_list.moc"
