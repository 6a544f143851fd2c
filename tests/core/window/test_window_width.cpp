#include "core/window/WindowWidth.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::window;

namespace {

// A narrow window at the left edge of a 1280x1024 screen.
Geometry screenOf(float width)
{
    return {kNarrowWidth, 0, 10680, width, 15360};
}

// The window after a move, as the window carries it out.
Geometry moved(Geometry window, const Move &move)
{
    window.width = move.width.value_or(window.width);
    window.left = move.left.value_or(window.left);
    return window;
}

} // namespace

class TestWindowWidth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpPlacesTheNarrowWindowAtTheLowerRight()
    {
        Geometry window = screenOf(19200);
        window.width = kWideWidth;
        const Move move = placeAtStart(window);
        QCOMPARE(move.width, kNarrowWidth);
        QCOMPARE(*move.left + kNarrowWidth, window.screenWidth);
        QCOMPARE(*move.top + 10680 + 650, 15360.0f);
    }

    void widenThenAddFromTheLowerRight()
    {
        Geometry window = screenOf(19200);
        window.left = window.screenWidth - kNarrowWidth;
        Widening widening = widenOrAddFavourite(window);
        QVERIFY(!widening.addFavourite);
        window = moved(window, widening.move);
        QCOMPARE(window.width, kWideWidth);
        // The right edge stays on the screen's right edge.
        QCOMPARE(window.left, window.screenWidth - kWideWidth);

        int added = 0;
        for (int i = 0; i < 2; ++i) {
            widening = widenOrAddFavourite(window);
            added += widening.addFavourite ? 1 : 0;
            QCOMPARE(widening.move, Move{});
        }
        QCOMPARE(added, 2);

        window = moved(window, narrow(window));
        QCOMPARE(window.width, kNarrowWidth);
        QCOMPARE(window.left, window.screenWidth - kNarrowWidth);
    }

    void anyOtherWidthOnlyKeepsTheWindowOnScreen()
    {
        Geometry window = screenOf(19200);
        window.width = 7200;
        window.left = 100;
        const Widening widening = widenOrAddFavourite(window);
        QVERIFY(!widening.addFavourite);
        QCOMPARE(widening.move, Move{});

        // ")(" still narrows it and moves it right by the difference.
        window = moved(window, narrow(window));
        QCOMPARE(window.width, kNarrowWidth);
        QCOMPARE(window.left, 100.0f + 6270.0f);
    }

    void narrowingTheNarrowWindowIsPulledBack()
    {
        Geometry window = screenOf(19200);
        window.left = window.screenWidth - kNarrowWidth;
        const Move move = narrow(window);
        QCOMPARE(move.width, kNarrowWidth);
        QCOMPARE(move.left, window.screenWidth - kNarrowWidth);
        QCOMPARE(move.top, std::nullopt);
    }

    void onlyTheRightEdgeIsGuarded()
    {
        Geometry window = screenOf(12000); // narrower than the wide window
        window.left = window.screenWidth - kNarrowWidth;
        window = moved(window, widenOrAddFavourite(window).move);
        QVERIFY(window.left < 0);
        QCOMPARE(window.left, 12000.0f - kWideWidth);

        // Exactly on the edge: not moved.
        Geometry edge = screenOf(19200);
        edge.left = edge.screenWidth - edge.width;
        QCOMPARE(keepOnScreen(edge), std::nullopt);

        // Left of the edge: not moved either.
        edge.left = -50;
        QCOMPARE(keepOnScreen(edge), std::nullopt);
    }
};

CHIMEBOX_TEST_MAIN(TestWindowWidth)
#include "test_window_width.moc"
