#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <source_location>

// The files a test starts from and reads back, by native name, so names that
// are not valid UTF-8 work too. A file that cannot be written, a folder that
// cannot be made and a file that is there but cannot be read fail the running
// test at the caller's line, with the path and the reason: nothing a test sets
// up goes missing unnoticed. A test that must not go on after such a failure
// checks QTest::currentTestFailed().
namespace testfiles {

// What readFile gives for a file that is not there.
inline const QByteArray kMissing = QByteArrayLiteral("<missing>");

// Writes bytes to path, replacing what was there.
void writeFile(const QString &path, const QByteArray &bytes,
               std::source_location caller = std::source_location::current());

// The file's bytes, or kMissing when there is no file.
QByteArray readFile(const QString &path,
                    std::source_location caller = std::source_location::current());

// Makes folder, with its parents, and an empty file of each name in it;
// returns folder.
QString makeFolder(const QString &folder, const QStringList &files = {},
                   std::source_location caller = std::source_location::current());

} // namespace testfiles
