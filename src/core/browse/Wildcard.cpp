#include "core/browse/Wildcard.h"

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
        wilds_.push_back({wild, endingOnly});
    }
}

bool FilePattern::matches(QStringView name) const
{
    return std::any_of(wilds_.begin(), wilds_.end(), [&](const Wildcard &wild) {
        if (wild.endingOnly)
            return name.endsWith(QStringView(wild.wild).mid(1), Qt::CaseInsensitive);
        return wildcardMatch(name, wild.wild);
    });
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    return FilePattern(pattern).matches(name);
}

} // namespace chimebox::browse
