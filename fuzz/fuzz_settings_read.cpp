#include "Failure.h"
#include "FuzzCheck.h"
#include "NativeName.h"
#include "settings/SettingsFiles.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fstream>

using namespace chimebox;
using settings::SettingsFile;

namespace {

void put(const QString &path, const std::uint8_t *data, std::size_t size)
{
    std::ofstream out(nativename::toPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    FUZZ_REQUIRE(out.good());
}

} // namespace

// Far below any bound a reader may set on a file's size or a line's length:
// such a file is always read.
constexpr std::size_t kAlwaysRead = 200;

// The settings files as the program reads them, from disk, with any bytes in
// them: a read either gives what the text parsers make of the whole content or
// refuses a large file with the program's own failure. Anything else thrown
// escapes and ends the run.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    static const settings::SettingsFolder folder(dir.path());
    FUZZ_REQUIRE(dir.isValid());

    const QString text =
        nativename::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const SettingsFile file :
         {SettingsFile::StopTime, SettingsFile::Favourites, SettingsFile::LastFolder})
        put(folder.path(file), data, size);

    const auto readsAsParsed = [size](const auto &read, const auto &parsed) {
        try {
            FUZZ_REQUIRE(read() == parsed);
        } catch (const Failure &) {
            FUZZ_REQUIRE(size >= kAlwaysRead);
        }
    };
    readsAsParsed([] { return folder.readTime(SettingsFile::StopTime); },
                  settings::parseTime(text));
    readsAsParsed([] { return folder.readFavourites(); }, settings::parseFavourites(text));
    readsAsParsed([] { return folder.readLastFolder(); }, settings::parseLastFolder(text));
    return 0;
}
