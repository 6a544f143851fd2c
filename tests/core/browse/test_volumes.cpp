#include "core/browse/Volumes.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox::browse;

class TestVolumes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void volumeFilter_data();
    void volumeFilter();
    void volumesKeepRootFirstAndEachOnce();
    void mountsComeFromTheTable_data();
    void mountsComeFromTheTable();
    void labelsAreTheLinksNames();
};

void TestVolumes::volumeFilter_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("kept");
    QTest::newRow("root") << "/"
                          << "ext4" << true;
    QTest::newRow("root on overlay") << "/"
                                     << "overlay" << true;
    QTest::newRow("separate home") << "/home"
                                   << "ext4" << true;
    QTest::newRow("a home below home") << "/home/user"
                                       << "ext4" << false;
    QTest::newRow("usb stick") << "/media/user/STICK"
                               << "vfat" << true;
    QTest::newRow("udisks mount") << "/run/media/user/DISC"
                                  << "iso9660" << true;
    QTest::newRow("mnt") << "/mnt"
                         << "ext4" << true;
    QTest::newRow("below mnt") << "/mnt/music"
                               << "nfs4" << true;
    QTest::newRow("tmpfs below mnt") << "/mnt/ram"
                                     << "tmpfs" << false;
    QTest::newRow("lookalike of mnt") << "/mntx"
                                      << "ext4" << false;
    QTest::newRow("proc") << "/proc"
                          << "proc" << false;
    QTest::newRow("sys") << "/sys"
                         << "sysfs" << false;
    QTest::newRow("cgroup") << "/sys/fs/cgroup"
                            << "cgroup2" << false;
    QTest::newRow("dev") << "/dev"
                         << "devtmpfs" << false;
    QTest::newRow("shm") << "/dev/shm"
                         << "tmpfs" << false;
    QTest::newRow("run") << "/run"
                         << "tmpfs" << false;
    QTest::newRow("user runtime") << "/run/user/1000"
                                  << "tmpfs" << false;
    QTest::newRow("gvfs") << "/run/user/1000/gvfs"
                          << "fuse.gvfsd-fuse" << false;
    QTest::newRow("boot") << "/boot"
                          << "ext4" << false;
    QTest::newRow("efi") << "/boot/efi"
                         << "vfat" << false;
    QTest::newRow("snap") << "/snap/core/123"
                          << "squashfs" << false;
    QTest::newRow("tmp") << "/tmp"
                         << "tmpfs" << false;
}

void TestVolumes::volumeFilter()
{
    QFETCH(QString, root);
    QFETCH(QString, type);
    QFETCH(bool, kept);
    QCOMPARE(isUserVolume(root, type), kept);
}

void TestVolumes::volumesKeepRootFirstAndEachOnce()
{
    const QList<Volume> mounted = {
        {"/proc", "proc", ""}, {"/media/u/B", "vfat", "B"},
        {"/home", "ext4", ""}, {"/media/u/B", "vfat", "B again"},
        {"/sys", "sysfs", ""},
    };
    const QList<Volume> volumes = userVolumes(mounted);
    QStringList roots;
    for (const Volume &volume : volumes)
        roots.append(volume.rootPath);
    QCOMPARE(roots, QStringList({"/", "/home", "/media/u/B"}));
    QCOMPARE(volumes.last().name, QStringLiteral("B"));

    // The machine's own list always offers the root.
    const QList<Volume> here = userVolumes(mountedVolumes());
    QVERIFY(!here.isEmpty());
    QCOMPARE(here.first().rootPath, QStringLiteral("/"));
}

void TestVolumes::mountsComeFromTheTable_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("mount"); // root, type, name; empty when none
    QTest::newRow("root with a label")
        << QByteArray("26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sdz1 rw")
        << QStringList{"/", "ext4", "システム"};
    QTest::newRow("no optional fields")
        << QByteArray("30 26 8:2 / /home rw,relatime - ext4 /dev/sdz2 rw")
        << QStringList{"/home", "ext4", ""};
    QTest::newRow("two optional fields")
        << QByteArray("31 26 8:3 / /mnt/music rw shared:5 master:1 - xfs /dev/sdz3 rw")
        << QStringList{"/mnt/music", "xfs", ""};
    QTest::newRow("blanks, a tab and a backslash in the path")
        << QByteArray(R"(40 26 8:17 / /media/u/MY\040STICK\011a\134b rw - vfat /dev/sdz4 rw)")
        << QStringList{"/media/u/MY STICK\ta\\b", "vfat", "MY STICK"};
    QTest::newRow("network share")
        << QByteArray("50 26 0:50 / /mnt/nas rw - nfs4 nas:/music rw,vers=4.2")
        << QStringList{"/mnt/nas", "nfs4", ""};
    QTest::newRow("FUSE daemon")
        << QByteArray("60 58 0:60 / /run/user/1000/doc rw - fuse.portal portal rw")
        << QStringList{"/run/user/1000/doc", "fuse.portal", ""};
    QTest::newRow("no separator") << QByteArray("70 26 0:70 / /mnt/odd rw ext4 /dev/sdz5 rw")
                                  << QStringList();
    QTest::newRow("cut short") << QByteArray("80 26 0:80 / /mnt/cut rw - ext4") << QStringList();
    QTest::newRow("empty line") << QByteArray() << QStringList();
}

// The drive list asks no file system anything, so none that does not answer
// can hold up the start.
void TestVolumes::mountsComeFromTheTable()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, mount);
    const QHash<QString, QString> labels = {{"/dev/sdz1", "システム"}, {"/dev/sdz4", "MY STICK"}};
    const QList<Volume> mounts = mountsOf(line + "\n", labels);
    if (mount.isEmpty()) {
        QVERIFY(mounts.isEmpty());
        return;
    }
    QCOMPARE(mounts.size(), 1);
    QCOMPARE(mounts.first().rootPath, mount[0]);
    QCOMPARE(mounts.first().fsType, mount[1]);
    QCOMPARE(mounts.first().name, mount[2]);
}

void TestVolumes::labelsAreTheLinksNames()
{
    QTemporaryDir dir;
    const QString devices = QFileInfo(dir.path()).canonicalFilePath() + "/devices";
    const QString links = dir.filePath("by-label");
    QVERIFY(QDir().mkpath(devices) && QDir().mkpath(links));
    for (const char *device : {"sdz1", "sdz2", "sdz3"})
        QVERIFY(QFile(devices + '/' + device).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(devices + "/sdz1", links + "/MY\\x20STICK"));
    QVERIFY(QFile::link(devices + "/sdz2", links + "/音楽"));
    QVERIFY(QFile::link("../devices/sdz3", links + "/a\\x2fb\\x5cc"));
    QVERIFY(QFile(links + "/not-a-link").open(QIODevice::WriteOnly));
    const QHash<QString, QString> expected = {{devices + "/sdz1", "MY STICK"},
                                              {devices + "/sdz2", "音楽"},
                                              {devices + "/sdz3", "a/b\\c"}};
    QCOMPARE(labelsIn(links), expected);
}

CHIMEBOX_TEST_MAIN(TestVolumes)
#include "test_volumes.moc"
