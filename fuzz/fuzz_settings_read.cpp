#include "FuzzCheck.h"
#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/settings/SettingsFiles.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>

using namespace chimebox;
using settings::SettingsFile;

namespace {

void put(const QString &path, const QByteArray &content)
{
    std::ofstream out(nativename::toPath(path), std::ios::binary | std::ios::trunc);
    out.write(content.constData(), std::streamsize(content.size()));
    FUZZ_REQUIRE(out.good());
}

// The longest line in bytes, without its break; CR and LF each end a line.
qsizetype longestLine(const QByteArray &content)
{
    qsizetype longest = 0;
    qsizetype current = 0;
    for (const char c : content) {
        current = (c == '\r' || c == '\n') ? 0 : current + 1;
        longest = std::max(longest, current);
    }
    return longest;
}

} // namespace

// The settings files as the program reads them, from disk, with any bytes in
// them: a read gives what the text parsers make of the whole content when the
// file keeps within the bounds, and is refused with the program's own failure
// when it does not. Anything else thrown escapes and ends the run.
//
// The first byte says how many times (1 to 64) the rest is written, so a small
// input reaches the bound on the file's size.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    static const settings::SettingsFolder folder(dir.path());
    FUZZ_REQUIRE(dir.isValid());
    if (size == 0)
        return 0;

    const QByteArray content =
        QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
            .repeated(data[0] % 64 + 1);
    // A leading byte-order mark is no part of any setting.
    QString text = nativename::decode(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    for (const SettingsFile file :
         {SettingsFile::StopTime, SettingsFile::Favourites, SettingsFile::LastFolder})
        put(folder.path(file), content);

    const bool withinBounds = content.size() <= settings::kMaxSettingsBytes &&
                              longestLine(content) <= settings::kMaxLineBytes;
    const auto readsAsParsed = [withinBounds](const auto &read, const auto &parsed) {
        try {
            FUZZ_REQUIRE(read() == parsed);
            FUZZ_REQUIRE(withinBounds);
        } catch (const Failure &) {
            FUZZ_REQUIRE(!withinBounds);
        }
    };
    readsAsParsed([] { return folder.readTime(SettingsFile::StopTime); },
                  settings::parseTime(text));
    readsAsParsed([] { return folder.readFavourites(); }, settings::parseFavourites(text));
    readsAsParsed([] { return folder.readLastFolder(); }, settings::parseLastFolder(text));
    return 0;
}
