#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The files a test starts from and reads back, by native name, so names that
// are not valid UTF-8 work too. A file that cannot be written, a folder that
// cannot be made and a file that is there but cannot be read fail the running
// test at the caller's line, with the path and the reason: nothing a test sets
// up goes missing unnoticed. A test that must not go on after such a failure
// checks QTest::currentTestFailed().
namespace testfiles {

// Where a helper was called from, so that its failure is reported there:
// the compilers' own builtins, as a default argument, give the call's place
// (clang 14 has no std::source_location).
struct Caller
{
    Caller(const char *inFile = __builtin_FILE(), int atLine = __builtin_LINE())
        : file(inFile), line(atLine)
    {}
    const char *file;
    int line;
};

// What readFile gives for a file that is not there.
inline const QByteArray kMissing = QByteArrayLiteral("<missing>");

// Writes bytes to path, replacing what was there.
void writeFile(const QString &path, const QByteArray &bytes, Caller caller = {});

// The file's bytes, or kMissing when there is no file.
QByteArray readFile(const QString &path, Caller caller = {});

// Makes folder, with its parents, and an empty file of each name in it;
// returns folder.
QString makeFolder(const QString &folder, const QStringList &files = {}, Caller caller = {});

} // namespace testfiles
