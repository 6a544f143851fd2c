#include "core/browse/NameList.h"

#include "base/Failure.h"
#include "base/NativeName.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace chimebox::browse {

NameList::NameList(const QStringList &names)
{
    for (const QString &name : names)
        append(name);
}

QByteArrayView NameList::bytesAt(qsizetype index) const
{
    const char *name = bytes_.constData() + starts_[index];
    return QByteArrayView(name, qsizetype(std::strlen(name)));
}

QString NameList::at(qsizetype index) const
{
    if (index < 0 || index >= size())
        return QString();
    const QByteArrayView name = bytesAt(index);
    // Most names are plain ASCII, which reads the same in every encoding.
    if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; }))
        return QString::fromLatin1(name);
    return nativename::decode(QByteArray::fromRawData(name.data(), name.size()));
}

QStringList NameList::toStringList() const
{
    QStringList names;
    names.reserve(size());
    for (qsizetype index = 0; index < size(); ++index)
        names.append(at(index));
    return names;
}

qsizetype NameList::indexOf(const QString &name) const
{
    const QByteArray wanted = nativename::encode(name);
    for (qsizetype index = 0; index < size(); ++index) {
        if (bytesAt(index) == wanted)
            return index;
    }
    return -1;
}

void NameList::append(QByteArrayView name)
{
    if (bytes_.size() > std::numeric_limits<quint32>::max() - name.size() - 1)
        throw Failure(QStringLiteral("フォルダの項目が多すぎます"));
    starts_.append(quint32(bytes_.size()));
    bytes_.append(name.data(), name.size());
    bytes_.append('\0');
}

void NameList::append(const QString &name)
{
    append(QByteArrayView(nativename::encode(name)));
}

void NameList::append(const NameList &names)
{
    if (bytes_.size() > std::numeric_limits<quint32>::max() - names.bytes_.size())
        throw Failure(QStringLiteral("フォルダの項目が多すぎます"));
    const auto shift = quint32(bytes_.size());
    bytes_.append(names.bytes_);
    starts_.reserve(starts_.size() + names.starts_.size());
    for (const quint32 start : names.starts_)
        starts_.append(start + shift);
}

void NameList::reorder(std::span<const qsizetype> order)
{
    QList<quint32> starts;
    starts.reserve(qsizetype(order.size()));
    for (const qsizetype index : order)
        starts.append(starts_[index]);
    starts_ = std::move(starts);
}

void NameList::squeeze()
{
    bytes_.squeeze();
    starts_.squeeze();
}

} // namespace chimebox::browse
