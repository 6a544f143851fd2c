#include "FuzzCheck.h"
#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/Drop.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

using namespace chimebox;

// A dropped path as bytes from the file system: its name survives the trip to
// text and back byte for byte, and the folder taken from it is a leading part
// of it, or the root.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString item = nativename::decode(bytes);
    FUZZ_REQUIRE(nativename::encode(item) == bytes);
    FUZZ_REQUIRE(nativename::decode(nativename::encode(item)) == item);
    FUZZ_REQUIRE(nativename::fromPath(nativename::toPath(item)) == item);

    QString folder;
    try {
        folder = browse::folderText(item);
    } catch (const Failure &) {
        // A dropped path is absolute, and every absolute path has a folder.
        FUZZ_REQUIRE(!item.startsWith(u'/'));
        return 0;
    }
    FUZZ_REQUIRE(item.contains(u'/'));
    FUZZ_REQUIRE(!folder.isEmpty());
    FUZZ_REQUIRE(folder == QStringLiteral("/") ||
                 (item.startsWith(folder) && folder.size() < item.size()));
    FUZZ_REQUIRE(bytes.startsWith(nativename::encode(folder)) || folder == QStringLiteral("/"));
    return 0;
}
