#include "core/browse/NaturalOrder.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <thread>
#include <unicode/ucol.h>
#include <vector>

namespace chimebox::browse {

namespace {

// Room for a long sort's keys, mapped from the system apart from the heap and
// given back whole. glibc's malloc maps big blocks too, but once such a block
// is freed it serves blocks of that size from its heap, and the room of what
// is freed there stays with the program: the names shown afterwards, and the
// list's own layout, would then leave the keys' room behind them.
template <typename T> class MappedAllocator
{
public:
    using value_type = T;

    MappedAllocator() = default;
    template <typename U> MappedAllocator(const MappedAllocator<U> &) {}

    T *allocate(size_t n)
    {
        if (n * sizeof(T) < kMappedFrom)
            return std::allocator<T>().allocate(n);
        void *room = ::mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (room == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T *>(room);
    }

    void deallocate(T *room, size_t n)
    {
        if (n * sizeof(T) < kMappedFrom)
            std::allocator<T>().deallocate(room, n);
        else
            ::munmap(room, n * sizeof(T));
    }

    bool operator==(const MappedAllocator &) const { return true; }

private:
    static constexpr size_t kMappedFrom = 64 * 1024;
};

template <typename T> using Scratch = std::vector<T, MappedAllocator<T>>;

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
    qsizetype appendKey(QStringView text, Scratch<uint8_t> &keys) const
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

// One name's place in a sort. The eight bytes of its key that the sort is
// looking at ride along, so comparisons seldom leave the array being sorted.
struct Keyed
{
    quint64 head;
    const uint8_t *key;
    quint32 size;
    quint32 index;
};

// The text of a list's names, one at a time, as the collator reads it.
class StringListText
{
public:
    explicit StringListText(const QStringList &names) : names_(names) {}

    QStringView operator()(qsizetype index) { return names_[index]; }
    bool less(qsizetype a, qsizetype b) const { return names_[a] < names_[b]; }

private:
    const QStringList &names_;
};

class NameListText
{
public:
    explicit NameListText(const NameList &names) : names_(names) {}

    // Plain ASCII is widened into one buffer that every name reuses.
    QStringView operator()(qsizetype index)
    {
        const QByteArrayView name = names_.bytesAt(index);
        if (!std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
            text_ = names_.at(index);
            return text_;
        }
        text_.resize(name.size());
        std::copy(name.begin(), name.end(), text_.data());
        return text_;
    }
    bool less(qsizetype a, qsizetype b) const { return names_.at(a) < names_.at(b); }

private:
    const NameList &names_;
    QString text_;
};

// Keys in byte order, a key before the longer ones it begins. Names the
// collator holds equal still get one fixed order, so the play order never
// depends on the order of the folder on disk.
template <typename Text> bool before(const Keyed &a, const Keyed &b, const Text &text)
{
    const int byKey = std::memcmp(a.key, b.key, std::min(a.size, b.size));
    if (byKey != 0)
        return byKey < 0;
    if (a.size != b.size)
        return a.size < b.size;
    return text.less(a.index, b.index);
}

// The eight bytes of a key from at on, as a number that orders like them;
// bytes past its end count as zero.
quint64 chunkOf(const Keyed &entry, size_t at)
{
    quint64 chunk = 0;
    for (size_t byte = at; byte < at + 8; ++byte)
        chunk = (chunk << 8) | (byte < entry.size ? entry.key[byte] : 0);
    return chunk;
}

// Sorts [begin, end), whose keys agree before byte depth, in the order of
// before: by their next eight bytes, held inline, and each run that agrees on
// those too by the bytes after them. Of such a run the keys that end within
// those bytes go first, as they are the shorter.
template <typename Text> void sortFrom(Keyed *begin, Keyed *end, size_t depth, const Text &text)
{
    for (Keyed *entry = begin; entry != end; ++entry)
        entry->head = chunkOf(*entry, depth);
    std::sort(begin, end, [](const Keyed &a, const Keyed &b) { return a.head < b.head; });
    for (Keyed *run = begin; run != end;) {
        Keyed *const runEnd =
            std::find_if(run + 1, end, [&](const Keyed &entry) { return entry.head != run->head; });
        Keyed *const going = std::partition(
            run, runEnd, [&](const Keyed &entry) { return entry.size <= depth + 8; });
        std::sort(run, going, [&](const Keyed &a, const Keyed &b) { return before(a, b, text); });
        if (runEnd - going > 1)
            sortFrom(going, runEnd, depth + 8, text);
        run = runEnd;
    }
}

// Names [from, to) in natural order, their keys held in keys.
template <typename Text>
Scratch<Keyed> sortedRun(Text text, qsizetype from, qsizetype to, Scratch<uint8_t> &keys)
{
    const NaturalCollator collator;
    keys.reserve(size_t(to - from) * 48);
    Scratch<size_t> offsets;
    offsets.reserve(size_t(to - from));
    Scratch<Keyed> order;
    order.reserve(size_t(to - from));
    for (qsizetype index = from; index < to; ++index) {
        offsets.push_back(keys.size());
        order.push_back(
            {0, nullptr, quint32(collator.appendKey(text(index), keys)), quint32(index)});
    }
    // The buffer stays put from here on.
    for (size_t i = 0; i < order.size(); ++i)
        order[i].key = keys.data() + offsets[i];
    sortFrom(order.data(), order.data() + order.size(), 0, text);
    return order;
}

// Where each of count names goes: order[k] is the index of the name at place k.
template <typename Text> Scratch<qsizetype> naturalOrder(qsizetype count, const Text &text)
{
    // A long list is sorted in two halves at once, the second on another
    // core, and the halves merged.
    const bool split = count >= kSplitFrom && std::thread::hardware_concurrency() > 1;
    const qsizetype half = split ? count / 2 : count;
    Scratch<uint8_t> firstKeys;
    Scratch<uint8_t> secondKeys;
    Scratch<Keyed> second;
    Scratch<Keyed> first;
    {
        std::jthread helper;
        if (split)
            helper = std::jthread([&] { second = sortedRun(text, half, count, secondKeys); });
        first = sortedRun(text, 0, half, firstKeys);
    }
    // The halves merged, the first half's name first where both rank alike.
    Scratch<qsizetype> order;
    order.reserve(size_t(count));
    auto a = first.cbegin();
    auto b = second.cbegin();
    while (a != first.cend() && b != second.cend())
        order.push_back(before(*b, *a, text) ? (b++)->index : (a++)->index);
    for (; a != first.cend(); ++a)
        order.push_back(a->index);
    for (; b != second.cend(); ++b)
        order.push_back(b->index);
    return order;
}

} // namespace

void sortNaturally(QStringList &names)
{
    if (names.size() < 2)
        return;
    const Scratch<qsizetype> order = naturalOrder(names.size(), StringListText(names));
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype index : order)
        sorted.append(std::move(names[index]));
    names = std::move(sorted);
}

void sortNaturally(NameList &names)
{
    if (names.size() < 2)
        return;
    names.reorder(naturalOrder(names.size(), NameListText(names)));
}

} // namespace chimebox::browse
