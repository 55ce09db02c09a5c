// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and the screen-off prompt used from the keyboard and by a screen reader: names,
// descriptions and tool-tips, the focus order, the keys of the small panel buttons and of the
// delay panel, the visible focus, and the places of the status panel and the prompt's controls.

#include "app/click_panel.h"
#include "app/form1.h"
#include "app/theme.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "repeater/form4.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QTabWidget>
#include <QTest>

using namespace klangor::fakes;

namespace {

struct Window {
    Fakes fakes;
    TForm1 form{fakes.platform()};

    explicit Window(const QString& language = QStringLiteral("ENG")) {
        form.show();
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("the main window did not become active");
        TForm1Access::language(form).setCode(language);
        form.SetLanguage();
    }

    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form.windowHandle(), key, modifiers);
    }
};

// A control: whatever takes the focus or can be pressed. What lies inside one (the edit line of
// a spin box, the viewport of the note box) belongs to it. The pages hold controls; their tab row
// is one.
bool isControl(const QWidget* w) {
    if (qobject_cast<const QTabWidget*>(w))
        return false;
    return w->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const ClickPanel*>(w);
}

QList<QWidget*> visibleControls(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || !isControl(w))
            continue;
        bool inner = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            inner = inner || isControl(p);
        if (!inner)
            out << w;
    }
    return out;
}

QString nameOf(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// Every control the walk meets has a name; a button that shows only a picture also has a
// description and a tool-tip. Adds the object names of the controls met to `met`.
void verifyNamed(QWidget* window, QStringList* met) {
    for (QWidget* w : visibleControls(window)) {
        const QString id = w->objectName();
        *met << id;
        QVERIFY2(!nameOf(w).trimmed().isEmpty(), qPrintable(id + QStringLiteral(": no name")));
        // Qt on Linux names a list after its chosen entry, whatever it is given (its caption is
        // a relation); other platforms read the name given.
        if (qobject_cast<QComboBox*>(w))
            QVERIFY2(!w->accessibleName().isEmpty() && !w->accessibleDescription().isEmpty(),
                     qPrintable(id + QStringLiteral(": list without a name or description")));
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button && button->text().isEmpty()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(!a->text(QAccessible::Description).isEmpty(),
                     qPrintable(id + QStringLiteral(": no description")));
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(id + QStringLiteral(": no tool-tip")));
        }
    }
}

// Presses Tab until the focus comes back to where it started, and lists where it went. A
// control that uses Tab inside itself (the time field steps through its hours, minutes and
// seconds) is listed once.
QStringList tabWalk(Window& w, QWidget* from) {
    from->setFocus(Qt::TabFocusReason);
    QStringList seen{from->objectName()};
    for (int i = 0; i < 100; ++i) {
        w.key(Qt::Key_Tab);
        QWidget* now = w.focus();
        if (!now)
            return seen << QStringLiteral("(none)");
        if (now == from && seen.size() > 1)
            return seen;
        if (seen.last() != now->objectName())
            seen << now->objectName();
    }
    return seen << QStringLiteral("(no way back)");
}

// How many pixels of a control's picture change when it takes the focus.
int pixelsChangedByFocus(QWidget* w, QWidget* elsewhere) {
    elsewhere->setFocus();
    const QImage without = w->grab().toImage();
    w->setFocus(Qt::TabFocusReason);
    const QImage with = w->grab().toImage();
    int changed = 0;
    for (int y = 0; y < without.height(); ++y)
        for (int x = 0; x < without.width(); ++x)
            changed += without.pixel(x, y) != with.pixel(x, y);
    return changed;
}

}  // namespace

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        klangor::applyTheme(QStringLiteral("Aqua Light Slate"));
        // A text cursor that blinks would make the pictures differ by chance.
        QApplication::setCursorFlashTime(0);
    }

    void language_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << QStringLiteral("ENG");
        QTest::newRow("Turkish") << QStringLiteral("TR");
    }

    // Every visible control of both pages, of the open delay panel and of the prompt is named.
    void everyControlHasAName_data() { language_data(); }
    void everyControlHasAName() {
        QFETCH(QString, code);
        Window w(code);
        auto c = ctl(w.form);
        c.Button2->show();  // shown in the grace period only
        w.form.BitBtn1Click();
        QVERIFY(c.Panel2->isVisible());
        QStringList met;
        verifyNamed(&w.form, &met);
        if (QTest::currentTestFailed())
            return;
        c.PageControl1->setCurrentIndex(1);
        verifyNamed(&w.form, &met);
        if (QTest::currentTestFailed())
            return;
        w.form.Form4()->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.Form4()));
        verifyNamed(w.form.Form4(), &met);
        if (QTest::currentTestFailed())
            return;
        w.form.Form4()->hide();
        for (const char* name :
             {"BitBtn1", "wwDBDateTimePicker1", "CheckBox3", "Button2", "SpeedButton3", "se_hour",
              "Button3", "Button4", "Button19", "xMinutes2", "sxMinutes", "SpeedButton1",
              "SpeedButton2", "chkTurnOff", "lnlLang", "Panel3", "Button1"})
            QVERIFY2(met.contains(QLatin1String(name)), qPrintable(name + (": " + met.join(' '))));

        // The glyph buttons are described, the small panel buttons are buttons.
        for (QWidget* b : {static_cast<QWidget*>(c.lnlLang), static_cast<QWidget*>(c.Panel3)}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            QCOMPARE(a->role(), QAccessible::Button);
            QVERIFY(!a->text(QAccessible::Description).isEmpty());
        }
    }

    // The language button and "?" are in the Tab chain and pressed by Space and Enter.
    void smallPanelButtonsWorkFromTheKeyboard() {
        Window w;
        auto c = ctl(w.form);
        c.chkTwo->setFocus(Qt::TabFocusReason);
        w.key(Qt::Key_Tab);
        QCOMPARE(w.focus(), c.lnlLang);
        w.key(Qt::Key_Space);
        QCOMPARE(c.lnlLang->text(), QStringLiteral("TR"));
        QCOMPARE(c.Button1->text(), QStringLiteral("Horozu Kur"));
        w.key(Qt::Key_Return);
        QCOMPARE(c.lnlLang->text(), QStringLiteral("ENG"));
        QCOMPARE(w.focus(), c.lnlLang);

        w.key(Qt::Key_Tab);
        QCOMPARE(w.focus(), c.Panel3);
        w.key(Qt::Key_Space);
        w.key(Qt::Key_Enter);
        QCOMPARE(w.fakes.shell->opened.size(), size_t(2));
        QCOMPARE(w.fakes.shell->opened.back(), std::string("https://vostrel.example/"));

        // A screen reader presses them through their action.
        QAccessible::queryAccessibleInterface(c.Panel3)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QCOMPARE(w.fakes.shell->opened.size(), size_t(3));
    }

    // Esc closes the delay panel from every control in it and leaves the focus in the time field.
    void escClosesTheDelayPanelFromAnywhereInIt() {
        Window w;
        auto c = ctl(w.form);
        QStringList tried;
        for (QWidget* inside : c.Panel2->findChildren<QWidget*>()) {
            if (!(inside->focusPolicy() & Qt::TabFocus) || inside->focusProxy())
                continue;
            w.form.BitBtn1Click();
            QVERIFY(c.Panel2->isVisible());
            inside->setFocus(Qt::TabFocusReason);
            QCOMPARE(w.focus(), inside);
            w.key(Qt::Key_Escape);
            QVERIFY2(c.Panel2->isHidden(), qPrintable(inside->objectName()));
            QVERIFY2(w.focus() == c.wwDBDateTimePicker1, qPrintable(inside->objectName()));
            QVERIFY(!c.Timer1->isActive());
            tried << inside->objectName();
        }
        QCOMPARE(tried.size(), 19);  // two boxes, accept, close and the fifteen minute buttons
    }

    // The order the focus takes with Tab: the given order on each page, the language button and
    // "?" after the page, the page tabs; the sound previews are left out (the mouse and screen
    // readers still reach them).
    void tabOrder_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("delayPanel");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QStringList>("order");
        const QStringList after = {"lnlLang", "Panel3", "qt_tabwidget_tabbar"};
        QTest::newRow("Alarm page")
            << 0 << false << "Button1"
            << (QStringList{"Button1", "wwDBDateTimePicker1", "CheckBox1", "CheckBox2", "CheckBox3",
                            "BitBtn1", "ComboBox1", "Button2", "salarm", "chkTwo"}
                << after);
        QTest::newRow("delay panel")
            << 0 << true << "se_hour"
            << (QStringList{"se_hour", "se_minute", "Button3", "Button4", "Button5", "Button6",
                            "Button7", "Button8", "Button9", "Button10", "Button11", "Button12",
                            "Button13", "Button14", "Button15", "Button16", "Button17", "Button18",
                            "Button19"}
                << after
                << QStringList{"Button1", "wwDBDateTimePicker1", "CheckBox1", "CheckBox2",
                               "CheckBox3", "BitBtn1", "ComboBox1", "Button2", "salarm", "chkTwo"});
        QTest::newRow("Repeater page") << 1 << false << "repeater_start"
                                       << (QStringList{"repeater_start", "xMinutes", "xMinutes2",
                                                       "sxMinutes", "sxMinutes2", "chkTurnOff"}
                                           << after);
    }
    void tabOrder() {
        QFETCH(int, page);
        QFETCH(bool, delayPanel);
        QFETCH(QString, from);
        QFETCH(QStringList, order);
        Window w;
        auto c = ctl(w.form);
        c.Button2->show();  // shown in the grace period only
        c.PageControl1->setCurrentIndex(page);
        if (delayPanel)
            w.form.BitBtn1Click();
        QCOMPARE(tabWalk(w, w.form.findChild<QWidget*>(from)), order);

        // Shift+Tab goes the same way back.
        QStringList back{from};
        for (int i = 0; i < 100 && back.size() < order.size(); ++i) {
            w.key(Qt::Key_Tab, Qt::ShiftModifier);
            if (w.focus()->objectName() != back.last())  // not a step inside the time field
                back << w.focus()->objectName();
        }
        std::reverse(back.begin() + 1, back.end());
        QCOMPARE(back, order);
    }

    // The previews are still pressed with the mouse, and by a screen reader, without taking the
    // focus from where it is.
    void previewsWithoutTheFocus() {
        Window w;
        auto c = ctl(w.form);
        c.salarm->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(c.SpeedButton3, Qt::LeftButton);
        QCOMPARE(w.fakes.sound->played.size(), 1);
        QCOMPARE(w.focus(), c.salarm);
        QAccessible::queryAccessibleInterface(c.SpeedButton3)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.fakes.sound->played.size(), 2);
        QCOMPARE(w.focus(), c.salarm);
    }

    // Each control that takes the focus shows it: its picture changes, and by more than a text
    // cursor would.
    void focusIsVisible_data() {
        QTest::addColumn<QString>("name");
        for (const char* n :
             {"Button1", "BitBtn1", "wwDBDateTimePicker1", "ComboBox1", "CheckBox1", "CheckBox3",
              "salarm", "lnlLang", "Panel3", "se_hour", "Button3", "Button4", "Button13",
              "qt_tabwidget_tabbar", "repeater_start", "xMinutes", "sxMinutes2", "chkTurnOff"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void focusIsVisible() {
        QFETCH(QString, name);
        Window w;
        auto c = ctl(w.form);
        QWidget* control = w.form.findChild<QWidget*>(name);
        QVERIFY(control);
        if (control->parentWidget() == c.Panel2)
            w.form.BitBtn1Click();
        else if (c.TabSheet2->isAncestorOf(control))
            c.PageControl1->setCurrentIndex(1);
        QVERIFY(control->isVisible());
        QWidget* elsewhere = control == c.Button1 ? static_cast<QWidget*>(c.chkTwo) : c.Button1;
        if (c.Panel2->isVisible())
            elsewhere = control == c.Button4 ? c.Button3 : c.Button4;
        if (c.TabSheet2->isVisible())
            elsewhere = control == c.chkTurnOff ? static_cast<QWidget*>(c.xMinutes2) : c.chkTurnOff;
        const int changed = pixelsChangedByFocus(control, elsewhere);
        QVERIFY2(changed >= 2 * control->height(),
                 qPrintable(QStringLiteral("%1 pixels changed").arg(changed)));
    }

    // The status panel lies along the bottom of its page, the page's full width, in both
    // languages.
    void statusPanelAlongThePageBottom() {
        Window w;
        auto c = ctl(w.form);
        for (const QString& code : {QStringLiteral("TR"), QStringLiteral("ENG")}) {
            TForm1Access::language(w.form).setCode(code);
            w.form.SetLanguage();
            const QRect page = c.TabSheet1->rect();
            QCOMPARE(c.Panel1->geometry(), QRect(0, page.height() - 33, page.width(), 33));
            QCOMPARE(c.Panel1->mapTo(&w.form, QPoint(0, 33)).y(),
                     c.TabSheet1->mapTo(&w.form, QPoint(0, page.height())).y());
        }
    }
};

QTEST_MAIN(TestAccess)
#include "test_access.moc"
