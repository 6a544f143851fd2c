#include "base/Failure.h"
#include "core/browse/FileManager.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::browse;

// The desktop's file manager, started on a folder as a program of its own.
class TestFileManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theFolderIsTheOneArgument()
    {
        // A stand-in file manager that records its arguments, one a line.
        QTemporaryDir bin;
        const QString record = bin.path() + QStringLiteral("/args");
        const QString script = bin.path() + QStringLiteral("/xdg-open");
        testfiles::writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" +
                                         record.toUtf8() + "'\n");
        QVERIFY(QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", bin.path().toUtf8());
        const auto recorded = [&] { return QString::fromUtf8(testfiles::readFile(record)); };

        QTemporaryDir music;
        const QString folder = music.path() + QStringLiteral("/a\"; touch x; \" b");
        QVERIFY(QDir().mkpath(folder));
        DesktopFileManager desktop;
        desktop.open(folder);
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), QStringLiteral("1\n") + folder + u'\n', 10000);
        QVERIFY(!QFile::exists(QStringLiteral("x")) && !QFile::exists(music.path() + "/x"));

        // Without any file manager it says so.
        qputenv("PATH", music.path().toUtf8());
        QCOMPARE(DesktopFileManager::program(), QString());
        QVERIFY_THROWS_EXCEPTION(Failure, desktop.open(folder));
    }
};

CHIMEBOX_TEST_MAIN(TestFileManager)
#include "test_file_manager.moc"
