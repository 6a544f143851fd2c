// The floor for a start: a Qt Widgets window with nothing in it, as big as
// chimebox's narrow window. "text" adds one line of Japanese text, so the
// fonts any such window needs are loaded too; "tick" adds a timer that fires
// every second and does nothing, the least a program with a clock can do.
// Usage: bench_bare_window [text] [tick]
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList options = QCoreApplication::arguments().mid(1);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(479, 678);
    if (options.contains(u"text"))
        (new QLabel(QStringLiteral("朝の音楽 ＞ open"), &window))->move(8, 8);
    QTimer tick;
    if (options.contains(u"tick")) {
        QObject::connect(&tick, &QTimer::timeout, [] {});
        tick.start(1000);
    }
    window.show();
    return application.exec();
}
