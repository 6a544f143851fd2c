#include "FuzzCheck.h"
#include "base/NativeName.h"
#include "core/settings/SettingsFiles.h"

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>

using namespace chimebox;

// The favourites file split into folders, and written back: no empty item, no
// line break inside one, every item as it stood in the file, and the written
// text reads back as the same list.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList items = settings::parseFavourites(nativename::decode(bytes));
    for (const QString &item : items) {
        FUZZ_REQUIRE(!item.isEmpty());
        FUZZ_REQUIRE(!item.contains(u'\r') && !item.contains(u'\n'));
        FUZZ_REQUIRE(bytes.contains(nativename::encode(item)));
    }
    FUZZ_REQUIRE(settings::parseFavourites(settings::formatFavourites(items)) == items);
    // What the writer puts on disk: the list, then the closing CR LF.
    const QString written = settings::formatFavourites(items) + QStringLiteral("\r\n");
    FUZZ_REQUIRE(settings::parseFavourites(written) == items);
    return 0;
}
