// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "platform/qt/qt_basics.h"
#include "platform/qt/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

using klangor::centredFramePosition;
using klangor::fakes::Fakes;

// Where the window opens: the middle of a screen's free area, never over its edges.
class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void centredInTheArea_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("expected");
        const QSize window(370, 371);  // 368 x 345 and a thin frame with a title bar
        QTest::newRow("one screen") << QRect(0, 0, 1280, 800) << window << QPoint(455, 214);
        QTest::newRow("odd pixel left over")
            << QRect(0, 0, 1281, 801) << window << QPoint(455, 215);
        QTest::newRow("panel at the top") << QRect(0, 28, 1280, 772) << window << QPoint(455, 228);
        QTest::newRow("second monitor, right")
            << QRect(1280, 0, 1920, 1050) << window << QPoint(2055, 339);
        QTest::newRow("monitor left of the primary")
            << QRect(-1024, 0, 1024, 768) << window << QPoint(-697, 198);
        QTest::newRow("monitor above") << QRect(0, -768, 1024, 740) << window << QPoint(327, -584);
        QTest::newRow("exactly as large") << QRect(10, 20, 370, 371) << window << QPoint(10, 20);
        // Too small a screen: the title bar and the window menu stay on it.
        QTest::newRow("narrower and lower than the frame")
            << QRect(0, 0, 320, 240) << window << QPoint(0, 0);
        QTest::newRow("too small, offset")
            << QRect(1280, 100, 300, 900) << window << QPoint(1280, 364);
    }
    void centredInTheArea() {
        QFETCH(QRect, available);
        QFETCH(QSize, frame);
        QFETCH(QPoint, expected);
        const QPoint at = centredFramePosition(available, frame);
        QCOMPARE(at, expected);
        if (frame.width() <= available.width() && frame.height() <= available.height())
            QVERIFY(available.contains(QRect(at, frame)));
    }

    // The real operation on the offscreen platform's screen, which, like an X11 window manager,
    // frames a window only once it shows: the main window centres its frame when it is known.
    void mainWindowCentredWithItsFrame() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        Fakes fakes;
        klangor::Platform platform = fakes.platform();
        platform.window = std::make_shared<klangor::QtWindowOps>();
        TForm1 form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.frameGeometry() != form.geometry());
        QTRY_COMPARE(form.frameGeometry().center(), screen->availableGeometry().center());
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "test_window_placement.moc"
