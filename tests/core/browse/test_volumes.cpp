#include "core/browse/Volumes.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::browse;

class TestVolumes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void volumeFilter_data();
    void volumeFilter();
    void volumesKeepRootFirstAndEachOnce();
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

CHIMEBOX_TEST_MAIN(TestVolumes)
#include "test_volumes.moc"
