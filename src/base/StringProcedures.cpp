#include "base/StringProcedures.h"

#include "base/Failure.h"

namespace chimebox::strings {

namespace {

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString zerost(const QString &tempstring, int keta)
{
    const qsizetype zeros = keta - tempstring.size();
    if (zeros < 0)
        throw Failure(QStringLiteral("桁数が足りません: \"%1\" (%2桁)").arg(tempstring).arg(keta));
    return QString(zeros, u'0') + trimSpaces(tempstring);
}

QString leftin(const QString &tempstring, const QString &instrstr)
{
    if (tempstring.isEmpty())
        return {};
    const qsizetype at = tempstring.indexOf(instrstr, 0, Qt::CaseSensitive);
    if (at < 0)
        throw Failure(QStringLiteral("区切り \"%1\" がありません").arg(instrstr));
    return tempstring.left(at);
}

QString mider(const QString &tempstring, const QString &instrstr)
{
    const qsizetype at = tempstring.indexOf(instrstr, 0, Qt::CaseSensitive);
    if (at < 0)
        return tempstring.mid(qMax<qsizetype>(instrstr.size() - 1, 0));
    return tempstring.mid(at + instrstr.size());
}

} // namespace chimebox::strings
