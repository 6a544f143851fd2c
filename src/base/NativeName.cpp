#include "base/NativeName.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace chimebox::nativename {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// Length of the valid UTF-8 sequence starting at i, or 0 when the byte there
// starts no valid sequence (overlong forms and encoded surrogates included).
int sequenceLength(const unsigned char *s, qsizetype i, qsizetype n, char32_t &cp)
{
    const unsigned char b = s[i];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    int len = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
        len = 2;
        cp = b & 0x1F;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3;
        cp = b & 0x0F;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4;
        cp = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        const unsigned char c = s[i + k];
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

QString decode(const QByteArray &bytes)
{
#ifdef _WIN32
    return QStringDecoder(QStringDecoder::System).decode(bytes);
#else
    QString out;
    out.reserve(bytes.size());
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        char32_t cp = 0;
        const int len = sequenceLength(s, i, n, cp);
        if (len == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += len;
    }
    return out;
#endif
}

QByteArray encode(const QString &text)
{
#ifdef _WIN32
    return QStringEncoder(QStringEncoder::System).encode(text);
#else
    QByteArray out;
    out.reserve(text.size() * 3);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (isEscape(c)) {
            out.append(char(c - kEscapeBase));
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            cp = QChar::surrogateToUcs4(c, text.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xC0 | (cp >> 6)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.append(char(0xE0 | (cp >> 12)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else {
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
#endif
}

std::filesystem::path toPath(const QString &text)
{
#ifdef _WIN32
    return std::filesystem::path(text.toStdU16String());
#else
    const QByteArray bytes = encode(text);
    return std::filesystem::path(std::string(bytes.constData(), size_t(bytes.size())));
#endif
}

QString fromPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdU16String(path.u16string());
#else
    const std::string &bytes = path.native();
    return decode(QByteArray(bytes.data(), qsizetype(bytes.size())));
#endif
}

} // namespace chimebox::nativename
