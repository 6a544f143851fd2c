#pragma once

#include "base/NativeName.h"

#include <QString>
#include <QTest>
#include <filesystem>
#include <fstream>

// Creates the files and folders a test lists, by native name, so names that
// are not valid UTF-8 can be made too.
namespace tempfiles {

inline void touch(const QString &path)
{
    std::ofstream(chimebox::nativename::toPath(path)) << "x";
    QVERIFY(std::filesystem::is_regular_file(chimebox::nativename::toPath(path)));
}

inline void makeFolder(const QString &path)
{
    std::filesystem::create_directories(chimebox::nativename::toPath(path));
}

} // namespace tempfiles
