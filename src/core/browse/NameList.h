#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <span>

namespace chimebox::browse {

// Names of a folder's entries as the file system spells them (see
// nativename), back to back in one block of bytes with one offset each: a
// folder of 100,000 files takes little more than its names' own bytes, where
// a list of strings takes about four times that. Copies share the block until
// one of them changes.
class NameList
{
public:
    NameList() = default;
    // The names given as text.
    NameList(const QStringList &names);
    NameList(std::initializer_list<QString> names) : NameList(QStringList(names)) {}

    qsizetype size() const { return starts_.size(); }
    bool isEmpty() const { return starts_.isEmpty(); }

    // The name at index as the file system spells it.
    QByteArrayView bytesAt(qsizetype index) const;
    // The name at index as text; empty outside the list.
    QString at(qsizetype index) const;
    QStringList toStringList() const;
    // The first index of the name given as text, or -1.
    qsizetype indexOf(const QString &name) const;

    // Adds a name as the file system spells it; it holds no zero byte.
    void append(QByteArrayView name);
    // Adds a name given as text.
    void append(const QString &name);
    // Adds every name of names.
    void append(const NameList &names);

    // Puts the names in the order given: order[k] is the index of the name
    // that goes to place k, each index once.
    void reorder(std::span<const qsizetype> order);

    // Gives back the room kept for more names.
    void squeeze();

private:
    // Each name ends in a zero byte, so its end needs no second offset.
    QByteArray bytes_;
    QList<quint32> starts_;
};

} // namespace chimebox::browse
