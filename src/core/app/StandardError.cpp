#include "core/app/StandardError.h"

#include <cstdio>

namespace chimebox::app {

void printToStandardError(const QString &text)
{
    QString line = QStringLiteral("chimebox: ") + text;
    line.replace(u'\n', u' ');
    line.append(u'\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void StandardErrorFallback::showMessage(const QString &text)
{
    if (boxesGone_)
        printToStandardError(text);
    else
        boxes_.showMessage(text);
}

void StandardErrorFallback::showFailure(const QString &text)
{
    if (boxesGone_)
        printToStandardError(text);
    else
        boxes_.showFailure(text);
}

} // namespace chimebox::app
