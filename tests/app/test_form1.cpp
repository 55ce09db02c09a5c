// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "lang/format.h"
#include "repeater/form4.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

using namespace klangor::fakes;

namespace {

/// A mouse event as the window system delivers it; `button` is also held during a move.
void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, at, w->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void windowFrame() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        QCOMPARE(form.objectName(), QStringLiteral("Form1"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tempiro v2.7 [ powered by vostrel.example ]"));
        QCOMPARE(form.size(), QSize(368, 345));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(form.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);  // no resize border
        QCOMPARE(form.font().pixelSize(), 12);
        for (const char* timer : {"Timer1", "Timer2", "repeater", "repear_end"}) {
            auto* t = form.findChild<QTimer*>(QString::fromLatin1(timer));
            QVERIFY2(t, timer);
            QVERIFY2(!t->isActive(), timer);
        }
        QCOMPARE(ctl(form).Timer1->interval(), 500);
        QCOMPARE(ctl(form).Timer2->interval(), 3000);
        QCOMPARE(ctl(form).repeater->interval(), 30000);
        QVERIFY(form.Form4());
        QVERIFY(!form.Form4()->isVisible());
        // The prompt is nobody's child or dialog: an owned window stays hidden while the main
        // window is minimised, as it is while the repeater runs.
        QVERIFY(!form.Form4()->parentWidget());
        QCOMPARE(form.Form4()->windowType(), Qt::Window);
        QCOMPARE(ctl(form).Panel4->geometry(), QRect(199, 1, 169, 29));
        QCOMPARE(ctl(form).lnlLang->geometry(), QRect(107, 3, 31, 25));
        QCOMPARE(ctl(form).Panel3->text(), QStringLiteral("?"));
    }

    // The language bar shares the tab row with the tabs in either direction (-reverse turns
    // it): no tab under it, and its buttons whole inside it and the window, in both languages.
    void languageBarBesideTheTabs_data() {
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::newRow("left to right") << Qt::LeftToRight;
        QTest::newRow("right to left") << Qt::RightToLeft;
    }
    void languageBarBesideTheTabs() {
        QFETCH(Qt::LayoutDirection, direction);
        QGuiApplication::setLayoutDirection(direction);
        const struct Restore {
            ~Restore() { QGuiApplication::setLayoutDirection(Qt::LeftToRight); }
        } restore;
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.layoutDirection(), direction);
        for (bool turkish : {false, true}) {
            if (turkish)
                form.lnlLangClick();
            const QRect bar = ctl(form).Panel4->geometry();
            QVERIFY(form.rect().contains(bar));
            const QTabBar* tabs = ctl(form).PageControl1->tabBar();
            for (int i = 0; i < tabs->count(); ++i) {
                const QRect tab(tabs->mapTo(&form, tabs->tabRect(i).topLeft()),
                                tabs->tabRect(i).size());
                QVERIFY2(!tab.intersects(bar), qPrintable(tabs->tabText(i)));
            }
            for (QWidget* part :
                 {static_cast<QWidget*>(ctl(form).Label8), static_cast<QWidget*>(ctl(form).lnlLang),
                  static_cast<QWidget*>(ctl(form).Panel3)})
                QVERIFY2(ctl(form).Panel4->rect().contains(part->geometry()),
                         qPrintable(part->objectName()));
            QVERIFY(!ctl(form).lnlLang->geometry().intersects(ctl(form).Label8->geometry()));
            QVERIFY(!ctl(form).lnlLang->geometry().intersects(ctl(form).Panel3->geometry()));
        }
    }

    void showSequence() {
        Fakes fakes;
        fakes.clock->set(QDateTime(QDate(2026, 5, 1), QTime(7, 8, 9)));
        TForm1 form(fakes.platform());
        ctl(form).PageControl1->setCurrentIndex(1);
        ctl(form).lblstatus->setText(QStringLiteral("x"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(ctl(form).repeater_stop->pos(), ctl(form).repeater_start->pos());
        QCOMPARE(ctl(form).PageControl1->currentIndex(), 0);
        QVERIFY(ctl(form).lblstatus->text().isEmpty());
        QCOMPARE(ctl(form).wwDBDateTimePicker1->time(), QTime(7, 8, 9));
        QCOMPARE(QApplication::focusWidget(), ctl(form).wwDBDateTimePicker1);
    }

    // The window is centred as it first opens and at no other time: an alarm that minimises and
    // restores it, or hiding and showing it again, leaves it where the user put it.
    void placedOnceAtFirstShow() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        QCOMPARE(fakes.window->placements, 0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(fakes.window->placements, 1);
        ctl(form).wwDBDateTimePicker1->setTime(fakes.clock->now().time().addSecs(1));
        form.Button1Click();
        fakes.clock->advanceMs(1000);
        form.Timer1Timer();
        QCOMPARE(fakes.window->minimizes, 1);
        QCOMPARE(fakes.window->restores, 1);
        form.hide();
        form.show();
        form.showMinimized();
        form.showNormal();
        QCOMPARE(fakes.window->placements, 1);
    }

    void dragHandles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drags");
        for (const char* n :
             {"TabSheet1", "Panel1", "Label3", "Label4", "Label12", "Label5", "lblStart", "Label6",
              "lblEnd", "Label7", "lblx", "Label8", "lblAction"})
            QTest::newRow(n) << QString::fromLatin1(n) << true;
        for (const char* n : {"Button1", "BitBtn1", "ComboBox1", "salarm", "Label1", "Label2",
                              "CheckBox1", "lnlLang"})
            QTest::newRow(n) << QString::fromLatin1(n) << false;
    }

    void dragHandles() {
        QFETCH(QString, name);
        QFETCH(bool, drags);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* w = name == QLatin1String("Form1") ? &form : form.findChild<QWidget*>(name);
        QVERIFY(w);
        const int far = QGuiApplication::styleHints()->startDragDistance() + 2;
        const QPoint before = form.pos();
        const QPoint grabbed = w->mapToGlobal(QPoint(2, 2));
        // The pointer's way on the screen, as the window under it moves along.
        const auto at = [&](QPoint screen) { return screen - w->mapToGlobal(QPoint(0, 0)); };
        mouse(w, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(2, 2));
        mouse(w, QEvent::MouseMove, Qt::LeftButton, at(grabbed + QPoint(far, 1)));
        // From the first step on, the point grabbed stays under the pointer: the window is not
        // the drag threshold behind it.
        QCOMPARE(form.pos(), drags ? before + QPoint(far, 1) : before);
        mouse(w, QEvent::MouseMove, Qt::LeftButton, at(grabbed + QPoint(far + 30, -20)));
        mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, at(grabbed + QPoint(far + 30, -20)));
        QCOMPARE(form.pos(), drags ? before + QPoint(far + 30, -20) : before);
        // Released, the window stays where it was left.
        mouse(w, QEvent::MouseMove, Qt::NoButton, at(grabbed + QPoint(far + 90, 40)));
        QCOMPARE(form.pos(), drags ? before + QPoint(far + 30, -20) : before);
    }

    // The wheel turns a list or box only when it has the keyboard focus: the window stays on
    // top and is often under the pointer while the user scrolls in another program.
    void wheelOnlyTurnsTheFocusedControl_data() {
        QTest::addColumn<QString>("name");
        for (const char* n : {"CheckBox3", "salarm", "sxMinutes", "sxMinutes2", "xMinutes",
                              "xMinutes2", "se_hour", "se_minute", "wwDBDateTimePicker1"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void wheelOnlyTurnsTheFocusedControl() {
        QFETCH(QString, name);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        // Shown where it lives (the repeater page, the delay panel), but not focused.
        for (QWidget* p = w->parentWidget(); p && p != &form; p = p->parentWidget()) {
            if (auto* tabs = qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget()))
                tabs->setCurrentWidget(p);
            p->show();
        }
        QVERIFY(w->isVisible());
        ctl(form).Button1->setFocus();
        const auto value = [&] {
            if (auto* list = qobject_cast<QComboBox*>(w))
                return QString::number(list->currentIndex());
            return static_cast<QAbstractSpinBox*>(w)->text();
        };
        const auto wheel = [&](int notches) {
            const QPoint at(w->width() / 2, w->height() / 2);
            QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &e);
        };
        const QString before = value();
        wheel(2);
        QCOMPARE(value(), before);
        QVERIFY(!w->hasFocus());
        wheel(-2);
        QCOMPARE(value(), before);

        // Focused in the active window, the wheel works as it always did.
        w->setFocus();
        QVERIFY(w->hasFocus());
        wheel(w == ctl(form).wwDBDateTimePicker1 || qobject_cast<QSpinBox*>(w) ? -1 : 1);
        QVERIFY2(value() != before, qPrintable(value()));
        QCOMPARE(fakes.files->asked, 0);  // the action list never opens the file dialog
    }

    // Only a left-button drag past the drag distance moves the window: a click of any button,
    // or a press that hardly moves, leaves it where it is.
    void clicksOnAHandleDoNotDrag_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("moveBy");
        const int near = QGuiApplication::styleHints()->startDragDistance() - 1;
        const int far = near + 3;
        QTest::newRow("left tap") << int(Qt::LeftButton) << 0;
        QTest::newRow("left, a jitter") << int(Qt::LeftButton) << near;
        QTest::newRow("right drag") << int(Qt::RightButton) << far;
        QTest::newRow("middle drag") << int(Qt::MiddleButton) << far;
    }
    void clicksOnAHandleDoNotDrag() {
        QFETCH(int, button);
        QFETCH(int, moveBy);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto b = Qt::MouseButton(button);
        const QPoint before = form.pos();
        for (QWidget* w : std::initializer_list<QWidget*>{ctl(form).Label5, ctl(form).TabSheet1}) {
            mouse(w, QEvent::MouseButtonPress, b, QPoint(2, 2));
            mouse(w, QEvent::MouseMove, b, QPoint(2 + moveBy, 2));
            mouse(w, QEvent::MouseButtonRelease, b, QPoint(2 + moveBy, 2));
            // The pointer moving on afterwards, with no button held, starts nothing either.
            mouse(w, QEvent::MouseMove, Qt::NoButton, QPoint(40, 2));
        }
        QCOMPARE(form.pos(), before);
    }

    // The window sees F5 and F1 before the focused control, even an edit box that takes keys.
    void functionKeysFromAFocusedEditBox_data() {
        QTest::addColumn<QString>("name");
        for (const char* n : {"ComboBox1", "wwDBDateTimePicker1", "se_minute", "Button2"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }

    void functionKeysFromAFocusedEditBox() {
        QFETCH(QString, name);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        if (name == QLatin1String("se_minute"))
            form.BitBtn1Click();
        w->show();
        w->setFocus();
        QCOMPARE(QApplication::focusWidget(), w);
        const QString note = ctl(form).ComboBox1->toPlainText();

        QTest::keyClick(w, Qt::Key_F5);  // start
        QCOMPARE(ctl(form).Button1->text(), QStringLiteral("Stop"));
        QVERIFY(ctl(form).Timer1->isActive());
        QVERIFY(ctl(form).Panel2->isHidden());
        QTest::keyClick(w, Qt::Key_F1);  // the panel does not open while armed
        QVERIFY(ctl(form).Panel2->isHidden());
        QTest::keyClick(w, Qt::Key_F5);  // stop
        QCOMPARE(ctl(form).Button1->text(), QStringLiteral("Start"));
        QVERIFY(!ctl(form).Timer1->isActive());
        QTest::keyClick(w, Qt::Key_F1);  // open the panel
        QVERIFY(!ctl(form).Panel2->isHidden());
        QTest::keyClick(ctl(form).se_hour, Qt::Key_F1);  // and close it from inside
        QVERIFY(ctl(form).Panel2->isHidden());
        QCOMPARE(ctl(form).ComboBox1->toPlainText(), note);
    }

    // The panel belongs to the Alarm page: F1 from the Repeater page shows that page, opens the
    // panel there (also one left open when the page was changed) and the digits go into it.
    void f1FromTheRepeaterPage_data() {
        QTest::addColumn<bool>("leftOpen");
        QTest::newRow("panel closed") << false;
        QTest::newRow("panel left open") << true;
    }

    void f1FromTheRepeaterPage() {
        QFETCH(bool, leftOpen);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const auto c = ctl(form);
        if (leftOpen)
            QTest::keyClick(&form, Qt::Key_F1);
        QCOMPARE(c.Panel2->isHidden(), !leftOpen);
        c.PageControl1->setCurrentWidget(c.TabSheet2);
        c.xMinutes->setFocus();
        QCOMPARE(QApplication::focusWidget(), c.xMinutes);

        QTest::keyClick(c.xMinutes, Qt::Key_F1);
        QCOMPARE(c.PageControl1->currentWidget(), c.TabSheet1);
        QVERIFY(c.Panel2->isVisible());
        QCOMPARE(QApplication::focusWidget(), c.se_hour);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
        QCOMPARE(c.se_hour->text(), QStringLiteral("7"));
        QCOMPARE(c.xMinutes->value(), 60);
    }

    // The rule of the four spin boxes holds once the focus really leaves a box: an empty box
    // counts as its minimum, a repeater period of 0 or less as 1, a number beyond the range as
    // the range's end. Qt on its own would put the previous value back.
    void spinBoxesOnLeaving_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leaveBy");
        QTest::addColumn<int>("value");
        const int tab = Qt::Key_Tab;
        const int enter = Qt::Key_Return;
        const auto row = [](const char* name, const char* box, const char* typed, int leaveBy,
                            int value) {
            QTest::newRow(name) << QString::fromLatin1(box) << QString::fromLatin1(typed) << leaveBy
                                << value;
        };
        row("hours emptied", "se_hour", "", tab, 0);
        row("hours beyond the range", "se_hour", "5000", enter, 999);
        row("hours negative", "se_hour", "-3", tab, 0);
        row("minutes emptied", "se_minute", "", enter, 0);
        row("minutes letters", "se_minute", "ab", tab, 0);
        row("minutes beyond the range", "se_minute", "1234", tab, 999);
        row("period emptied", "xMinutes", "", tab, 1);
        row("period 0", "xMinutes", "0", tab, 1);
        row("period 0, Enter", "xMinutes", "0", enter, 1);
        row("period negative", "xMinutes", "-3", tab, 1);
        row("period beyond the range", "xMinutes", "99999", enter, 9999);
        row("period in range", "xMinutes", "5000", tab, 5000);
        row("second delay emptied", "xMinutes2", "", enter, 1);
        row("second delay 0", "xMinutes2", "0", tab, 1);
    }

    void spinBoxesOnLeaving() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(int, leaveBy);
        QFETCH(int, value);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const auto c = ctl(form);
        auto* box = form.findChild<QSpinBox*>(name);
        QVERIFY(box);
        if (name.startsWith(QLatin1String("se_")))
            QTest::keyClick(&form, Qt::Key_F1);
        else
            c.PageControl1->setCurrentWidget(c.TabSheet2);
        box->setValue(7);  // the previous value, which Qt would restore
        box->setFocus();
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, typed);
        QCOMPARE(klangor::SpinValue(box), value);  // read while still typed
        QTest::keyClick(box, Qt::Key(leaveBy));
        if (leaveBy == Qt::Key_Tab || name.startsWith(QLatin1String("se_")))
            QVERIFY(QApplication::focusWidget() != box);
        QCOMPARE(box->text(), QString::number(value));
        QCOMPARE(box->value(), value);
        QCOMPARE(klangor::SpinValue(box), value);
    }

    // Emptying the period and pressing Start with the mouse: the period is 1 minute.
    void emptiedPeriodRunsOneMinute() {
        Fakes fakes;
        fakes.clock->set(QDateTime(QDate(2026, 5, 1), QTime(14, 0)));
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const auto c = ctl(form);
        c.PageControl1->setCurrentWidget(c.TabSheet2);
        c.xMinutes->setFocus();
        QTest::keyClick(c.xMinutes, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.xMinutes, Qt::Key_Backspace);
        QTest::mouseClick(c.repeater_start, Qt::LeftButton);
        QVERIFY(c.repeater->isActive());
        QCOMPARE(c.xMinutes->text(), QStringLiteral("1"));
        QVERIFY2(c.lblBegin->text().endsWith(QStringLiteral(" >>> 14:01:00")),
                 qPrintable(c.lblBegin->text()));
    }

    void questionMarkOpensHomePage() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(ctl(form).Panel3, Qt::LeftButton);
        QCOMPARE(fakes.shell->opened, std::vector<std::string>{"https://vostrel.example/"});
    }

    void closeStopsRepeaterAndSaves() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).repeater->start();
        ctl(form).repear_end->start(1000);
        ctl(form).xMinutes->setValue(33);
        form.close();
        QVERIFY(!ctl(form).repeater->isActive());
        QVERIFY(!ctl(form).repear_end->isActive());
        QCOMPARE(fakes.settings->saves, 1);
        QCOMPARE(fakes.settings->lastSaveOrder.size(), 8);
        QCOMPARE(fakes.settings->values.value(QStringLiteral("xMinutes")).toInt(), 33);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
