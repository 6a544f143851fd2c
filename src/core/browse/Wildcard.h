#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace chimebox::browse {

// The file list's filter: ';'-separated wildcards such as "*.wav;*.mp3;*.wma".
// '*' stands for any run of characters, '?' for one; case is ignored, since
// users' files are not always lower case. Blanks around a wildcard and empty
// ones are dropped, so an empty pattern matches nothing.
class FilePattern
{
public:
    explicit FilePattern(const QString &pattern);

    bool matches(QStringView name) const;
    // The same for a name as the file system spells it (see nativename).
    bool matches(QByteArrayView name) const;

private:
    // One wildcard. "*.mp3" and its like only test the name's ending, which is
    // most of the time spent listing a big folder.
    struct Wildcard
    {
        QString wild;
        bool endingOnly = false;
        // Such an ending in plain ASCII, lower case: a name's bytes are
        // tested against it without being read as text.
        std::optional<QByteArray> asciiEnding;

        bool matches(QStringView name) const;
    };

    std::vector<Wildcard> wilds_;
};

// Whether name matches one of the wildcards of pattern.
bool matchesPattern(const QString &name, const QString &pattern);

} // namespace chimebox::browse
