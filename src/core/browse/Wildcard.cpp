#include "core/browse/Wildcard.h"

#include "base/NativeName.h"

#include <QStringList>
#include <algorithm>

namespace chimebox::browse {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Classic greedy wildcard walk: on a mismatch, let the last '*' swallow one
// more character and retry from there.
bool wildcardMatch(QStringView name, QStringView wild)
{
    qsizetype n = 0;
    qsizetype w = 0;
    qsizetype starW = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (w < wild.size() && wild[w] == u'*') {
            starW = w++;
            starN = n;
        } else if (w < wild.size() && (wild[w] == u'?' || sameLetter(wild[w], name[n]))) {
            ++n;
            ++w;
        } else if (starW >= 0) {
            w = starW + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (w < wild.size() && wild[w] == u'*')
        ++w;
    return w == wild.size();
}

} // namespace

FilePattern::FilePattern(const QString &pattern)
{
    for (const QString &part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString wild = part.trimmed();
        if (wild.isEmpty())
            continue;
        const QStringView rest = QStringView(wild).mid(1);
        const bool endingOnly =
            wild.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?');
        std::optional<QByteArray> asciiEnding;
        if (endingOnly &&
            std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.unicode() < 0x80; }))
            asciiEnding = rest.toLatin1().toLower();
        wilds_.push_back({wild, endingOnly, asciiEnding});
    }
}

bool FilePattern::Wildcard::matches(QStringView name) const
{
    if (endingOnly)
        return name.endsWith(QStringView(wild).mid(1), Qt::CaseInsensitive);
    return wildcardMatch(name, wild);
}

bool FilePattern::matches(QStringView name) const
{
    return std::any_of(wilds_.begin(), wilds_.end(),
                       [&](const Wildcard &wild) { return wild.matches(name); });
}

bool FilePattern::matches(QByteArrayView name) const
{
    std::optional<QString> text;
    for (const Wildcard &wild : wilds_) {
        if (wild.asciiEnding) {
            const QByteArray &ending = *wild.asciiEnding;
            // A name has at least as many bytes as characters.
            if (name.size() < ending.size())
                continue;
            // An ASCII byte is a character of its own in any name, so a name
            // that ends in ASCII bytes ends in those letters. Other endings
            // are read as text: a few signs fold to ASCII letters (the Kelvin
            // sign to "k").
            const QByteArrayView tail = name.last(ending.size());
            if (std::all_of(tail.begin(), tail.end(), [](char c) { return (c & 0x80) == 0; })) {
                if (std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
                        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
                    }))
                    return true;
                continue;
            }
        }
        if (!text)
            text = nativename::decode(QByteArray::fromRawData(name.data(), name.size()));
        if (wild.matches(*text))
            return true;
    }
    return false;
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    return FilePattern(pattern).matches(name);
}

} // namespace chimebox::browse
