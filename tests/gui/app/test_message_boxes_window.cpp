#include "gui/app/QtMessageSink.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSet>
#include <QTest>
#include <QTimer>

using chimebox::app::QtMessageSink;

// The program's own message boxes, opened by the window's handlers on screen:
// they must be readable, not merely recorded.
class TestMessageBoxesWindow : public QObject
{
    Q_OBJECT

    // A window whose boxes are real ones.
    struct Window
    {
        FormHarness h;
        QtMessageSink sink;

        Window()
        {
            h.sink = &sink;
            h.create();
            sink.setParentWindow(h.form.get());
        }
    };

    static QLabel *textLabel(const QMessageBox *box)
    {
        for (QLabel *label : box->findChildren<QLabel *>())
            if (label->text() == box->text())
                return label;
        return nullptr;
    }

    static int colours(const QImage &image)
    {
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seen.insert(image.pixel(x, y));
        return int(seen.size());
    }

    // The box as the user sees it: caption, text, one OK button, no icon, the
    // whole text inside and something drawn.
    static void checkReadable(QMessageBox *box, const QString &text)
    {
        QVERIFY(QTest::qWaitForWindowExposed(box));
        // Looked at a moment after it opened, with the window's timer ticking.
        QTest::qWait(200);
        QCOMPARE(box->windowTitle(), QStringLiteral("CHIMEBOX7"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
        QLabel *label = textLabel(box);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QVERIFY(label->isVisible());
        QVERIFY(box->rect().contains(QRect(label->mapTo(box, QPoint()), label->sizeHint())));
        QVERIFY(box->buttons().first()->isVisible());
        // Wide enough for the caption in a title bar, beside its icon and
        // three buttons, even when the text is a few words.
        QVERIFY2(box->width() >= 3 * box->fontMetrics().horizontalAdvance(box->windowTitle()),
                 qPrintable(QString::number(box->width())));
        QVERIFY(colours(box->grab().toImage()) > 2);
    }

private Q_SLOTS:
    void aGoneFavouriteShowsItsBoxUntilClosed()
    {
        Window w;
        w.h.putSetting("chimeboxfl.ini", "/no/such/folder\r\n\r\n");
        QVERIFY(w.h.loadAndShow());
        w.h.click("Command2");

        // The box is modal: it is looked at and closed from within the click.
        bool seen = false;
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            checkReadable(box, QStringLiteral("フォルダがありません"));
            seen = true;
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });
        answer.start();
        FormHarness::clickRow(w.h.find<QListWidget>("List1"), 0);
        QVERIFY(seen);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.h.form->findChildren<QMessageBox *>().isEmpty());
    }

    void aFailedWriteShowsABoxAndTheWindowGoesOn()
    {
        Window w;
        QVERIFY(w.h.loadAndShow());
        w.h.click("Command2");
        QVERIFY(w.h.settingsDir.remove());

        w.h.click("Check1");
        QMessageBox *box = w.h.form->findChild<QMessageBox *>();
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("停止タイマを保存できませんでした")));
        checkReadable(box, box->text());
        // Not modal: the window takes clicks while the box is open.
        w.h.click("Command4");
        QCOMPARE(w.h.form->widthTwips(), 7305.0f);
        QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        QTRY_VERIFY(w.h.form->findChildren<QMessageBox *>().isEmpty());
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestMessageBoxesWindow)
#include "test_message_boxes_window.moc"
