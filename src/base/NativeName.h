#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>

// File names on Linux are bytes, not text. A name that is not valid UTF-8 keeps
// each stray byte as a lone surrogate U+DC80..U+DCFF, so that text read from
// the file system converts back to exactly the same bytes. Settings text uses
// the same conversion, so such a folder survives a round trip through
// the last-folder file.
namespace chimebox::nativename {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);

std::filesystem::path toPath(const QString &text);
QString fromPath(const std::filesystem::path &path);

} // namespace chimebox::nativename
