#include "core/browse/NaturalOrder.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <unicode/ucol.h>
#include <vector>

namespace chimebox::browse {

namespace {

// The collator QCollator would make for the user's language in numeric mode,
// opened straight from ICU (the library Qt collates with here) so that every
// key lands in one buffer instead of an object of its own.
class NaturalCollator
{
public:
    NaturalCollator()
    {
        QLocale locale;
        // The C locale collates by code point and ignores numeric mode; this
        // program speaks Japanese, so its users get the Japanese order instead.
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::Japanese, QLocale::Japan);
        const QByteArray name = locale.bcp47Name().replace('-', '_').toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        collator_.reset(ucol_open(name.constData(), &status));
        if (U_FAILURE(status)) {
            collator_.reset();
            return;
        }
        // QCollator's settings, so the order stays the one it gives.
        ucol_setAttribute(collator_.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(collator_.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(collator_.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        if (U_FAILURE(status))
            collator_.reset();
    }

    // Appends the key of text to keys; returns its length. Without a
    // collator every key is empty and code points alone decide.
    qsizetype appendKey(QStringView text, std::vector<uint8_t> &keys) const
    {
        if (!collator_)
            return 0;
        const auto *units = reinterpret_cast<const UChar *>(text.utf16());
        const auto length = int32_t(text.size());
        const size_t at = keys.size();
        int32_t room = 32 + 4 * length;
        keys.resize(at + size_t(room));
        int32_t size = ucol_getSortKey(collator_.get(), units, length, keys.data() + at, room);
        if (size > room) {
            keys.resize(at + size_t(size));
            size = ucol_getSortKey(collator_.get(), units, length, keys.data() + at, size);
        }
        keys.resize(at + size_t(size));
        return size;
    }

private:
    struct Close
    {
        void operator()(UCollator *collator) const { ucol_close(collator); }
    };
    std::unique_ptr<UCollator, Close> collator_;
};

constexpr qsizetype kSplitFrom = 4096;

// One name's place in a sort. The first eight bytes of its key ride along,
// so most comparisons never leave the array being sorted.
struct Keyed
{
    quint64 head;
    const uint8_t *key;
    size_t size;
    qsizetype index;
};

// Names the collator holds equal still get one fixed order, so the play
// order never depends on the order of the folder on disk.
bool before(const Keyed &a, const Keyed &b, const QStringList &names)
{
    if (a.head != b.head)
        return a.head < b.head;
    const int byKey = std::memcmp(a.key, b.key, std::min(a.size, b.size));
    if (byKey != 0)
        return byKey < 0;
    if (a.size != b.size)
        return a.size < b.size;
    return names[a.index] < names[b.index];
}

// names[from, to) in natural order, their keys held in keys.
std::vector<Keyed> sortedRun(const QStringList &names, qsizetype from, qsizetype to,
                             std::vector<uint8_t> &keys)
{
    const NaturalCollator collator;
    keys.reserve(size_t(to - from) * 48);
    std::vector<size_t> offsets;
    offsets.reserve(size_t(to - from));
    std::vector<Keyed> order;
    order.reserve(size_t(to - from));
    for (qsizetype index = from; index < to; ++index) {
        offsets.push_back(keys.size());
        order.push_back({0, nullptr, size_t(collator.appendKey(names[index], keys)), index});
    }
    // The buffer stays put from here on.
    for (size_t i = 0; i < order.size(); ++i) {
        Keyed &entry = order[i];
        entry.key = keys.data() + offsets[i];
        for (size_t byte = 0; byte < 8; ++byte)
            entry.head = (entry.head << 8) | (byte < entry.size ? entry.key[byte] : 0);
    }
    std::sort(order.begin(), order.end(),
              [&](const Keyed &a, const Keyed &b) { return before(a, b, names); });
    return order;
}

} // namespace

void sortNaturally(QStringList &names)
{
    if (names.size() < 2)
        return;
    // A long list is sorted in two halves at once, the second on another
    // core, and the halves merged.
    const bool split = names.size() >= kSplitFrom && std::thread::hardware_concurrency() > 1;
    const qsizetype half = split ? names.size() / 2 : names.size();
    const QStringList &all = names;
    std::vector<uint8_t> firstKeys;
    std::vector<uint8_t> secondKeys;
    std::vector<Keyed> second;
    std::vector<Keyed> first;
    {
        std::jthread helper;
        if (split)
            helper = std::jthread([&] { second = sortedRun(all, half, all.size(), secondKeys); });
        first = sortedRun(all, 0, half, firstKeys);
    }
    std::vector<Keyed> order(size_t(names.size()));
    std::merge(first.begin(), first.end(), second.begin(), second.end(), order.begin(),
               [&](const Keyed &a, const Keyed &b) { return before(a, b, all); });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed &entry : order)
        sorted.append(std::move(names[entry.index]));
    names = std::move(sorted);
}

} // namespace chimebox::browse
