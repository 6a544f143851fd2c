#pragma once

#include <QTest>
#include <QtGlobal>

// Every test runs alike from ctest and from a shell: offscreen unless a
// platform is asked for, at 96 DPI so that twips and pixels line up, and with
// a UTF-8 locale whose collation the file list's order relies on. Set before
// main() runs, so before the application object reads any of it.
namespace testmain {

inline bool fixEnvironment()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_FONT_DPI", "96");
    qputenv("LC_ALL", "C.UTF-8");
    return true;
}

inline const bool environmentFixed = fixEnvironment();

} // namespace testmain

#define CHIMEBOX_TEST_MAIN(TestObject) QTEST_GUILESS_MAIN(TestObject)
#define CHIMEBOX_GUI_TEST_MAIN(TestObject) QTEST_MAIN(TestObject)
