#include "app/StandardError.h"

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

} // namespace chimebox::app
