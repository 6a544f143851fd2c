#pragma once

#include <QString>

// Whole-file text procedures. Every file is opened, used and closed within one
// call; every failure is thrown to the caller as chimebox::Failure.
namespace chimebox::textfile {

// What a reader accepts from a file it did not write itself. A line ends at
// CR or at LF; its length is counted in bytes, without the line break.
struct ReadLimits
{
    qsizetype fileBytes;
    qsizetype lineBytes;
};

// The whole content, every line break kept. A missing file is an error; a file
// of 0 bytes gives empty text. A file over either limit is refused. Its size is
// checked before it is opened, so nothing of a huge file is read, and no more
// than one byte past the limit is ever read: a file that grew since, or whose
// size says nothing (as under /proc), is caught too.
QString ReadFile(const QString &FileName, const ReadLimits &Limits);

// Replaces the file with Cont followed by CR LF. The text is written beside the
// target and renamed over it, so a failed write leaves the old file whole; the
// new file keeps the old one's permission bits. A symbolic link is written
// through: the file at the end of its chain is replaced and the links stay.
// A read-only target is refused, even for a user whom the system would let
// write it, and so are a folder and a link that leads nowhere.
void WriteFile(const QString &FileName, const QString &Cont);

// Adds Cont and CR LF at the end; a missing file is created. Links and
// refusals as for WriteFile.
void AppendFile(const QString &FileName, const QString &Cont);

} // namespace chimebox::textfile
