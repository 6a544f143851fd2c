#include "core/window/WindowWidth.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::window;

namespace {

struct FakeWindow final : WindowGeometry
{
    float w = kNarrowWidth;
    float l = 0;
    float screen = 19200;
    int leftWrites = 0;

    float width() const override { return w; }
    void setWidth(float twips) override { w = twips; }
    float left() const override { return l; }
    void setLeft(float twips) override
    {
        l = twips;
        ++leftWrites;
    }
    float screenWidth() const override { return screen; }
    float height() const override { return 10680; }
    float t = 0;
    void setTop(float twips) override { t = twips; }
    float screenHeight() const override { return 15360; }
};

} // namespace

class TestWindowWidth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpPlacesTheNarrowWindowAtTheLowerRight()
    {
        FakeWindow window;
        window.w = kWideWidth;
        placeAtStart(window);
        QCOMPARE(window.w, kNarrowWidth);
        QCOMPARE(window.l + window.w, window.screen);
        QCOMPARE(window.t + 10680 + 650, 15360.0f);
    }

    void widenThenAddFromTheLowerRight()
    {
        FakeWindow window;
        window.l = window.screen - kNarrowWidth;
        int added = 0;
        widenOrAddFavourite(window, [&] { ++added; });
        QCOMPARE(window.w, kWideWidth);
        QCOMPARE(added, 0);
        // The right edge stays on the screen's right edge.
        QCOMPARE(window.l, window.screen - kWideWidth);

        widenOrAddFavourite(window, [&] { ++added; });
        widenOrAddFavourite(window, [&] { ++added; });
        QCOMPARE(added, 2);
        QCOMPARE(window.w, kWideWidth);

        narrow(window);
        QCOMPARE(window.w, kNarrowWidth);
        QCOMPARE(window.l, window.screen - kNarrowWidth);
    }

    void anyOtherWidthOnlyKeepsTheWindowOnScreen()
    {
        FakeWindow window;
        window.w = 7200;
        window.l = 100;
        int added = 0;
        widenOrAddFavourite(window, [&] { ++added; });
        QCOMPARE(added, 0);
        QCOMPARE(window.w, 7200.0f);
        QCOMPARE(window.leftWrites, 0);

        // ")(" still narrows it and moves it right by the difference.
        narrow(window);
        QCOMPARE(window.w, kNarrowWidth);
        QCOMPARE(window.l, 100.0f + 6270.0f);
    }

    void narrowingTheNarrowWindowIsPulledBack()
    {
        FakeWindow window;
        window.l = window.screen - kNarrowWidth;
        narrow(window);
        QCOMPARE(window.l, window.screen - kNarrowWidth);
        QCOMPARE(window.leftWrites, 2);
    }

    void onlyTheRightEdgeIsGuarded()
    {
        FakeWindow window;
        window.screen = 12000; // narrower than the wide window
        window.l = window.screen - kNarrowWidth;
        widenOrAddFavourite(window, [] {});
        QVERIFY(window.l < 0);
        QCOMPARE(window.l, 12000.0f - kWideWidth);

        // Exactly on the edge: not moved.
        FakeWindow edge;
        edge.l = edge.screen - edge.w;
        keepOnScreen(edge);
        QCOMPARE(edge.leftWrites, 0);

        // Left of the edge: not moved either.
        edge.l = -50;
        keepOnScreen(edge);
        QCOMPARE(edge.leftWrites, 0);
    }
};

CHIMEBOX_TEST_MAIN(TestWindowWidth)
#include "test_windowwidth.moc"
