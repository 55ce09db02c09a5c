// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"

#include "alarm/after_alarm.h"
#include "alarm/alarm_cycle.h"
#include "alarm/event_hook.h"
#include "alarm/quick_delay.h"
#include "app/build_config.h"
#include "app/glyphs.h"
#include "app/theme.h"
#include "app/time_room.h"
#include "lang/interface_language.h"
#include "repeater/form4.h"
#include "repeater/repeater.h"
#include "settings/settings_binding.h"
#include "sound/sounds.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyleHints>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Controls on which pressing a mouse button drags the whole window. lblAction lies on empty
// page space, which drags, whether or not it says something.
constexpr const char* kDragHandles[] = {"Form1",   "TabSheet1", "TabSheet2", "Panel1", "Panel2",
                                        "Label3",  "Label4",    "Label12",   "Label5", "lblStart",
                                        "Label6",  "lblEnd",    "Label7",    "lblx",   "Label9",
                                        "Label10", "Label8",    "lblAction"};

void setPixelFont(QWidget* w, int px, bool bold = false, bool italic = false,
                  const QString& family = {}) {
    QFont f = w->font();
    if (!family.isEmpty())
        f.setFamily(family);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(italic);
    w->setFont(f);
}

// A fixed window: system menu, minimise and close, no maximise and no resize border (on
// Windows the thin border of a fixed-size dialog, which also keeps the window manager under wine
// from offering to resize or maximise it).
constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
    Qt::MSWindowsFixedSizeDialogHint;

}  // namespace

TForm1::TForm1(klangor::Platform platform, QWidget* parent)
    // The window flags come before the controls: setting them later re-creates the window and
    // re-polishes every control, a good part of the start-up time.
    : QWidget(parent, kWindowFlags), platform_(std::move(platform)) {
    if (!platform_.complete())
        qFatal("TForm1: the platform bundle lacks an operation");
    ui.setupUi(this);
    setUpFrame();
    form4_ = std::make_unique<TForm4>(platform_, font().family());
    setUpConcerns();
    setUpKeys();
    setUpWheel();
    fitTimes();
}

TForm1::~TForm1() = default;

void TForm1::setUpFrame() {
    setFixedSize(368, 345);
    setWindowTitle(QStringLiteral("Tempiro v2.7 [ powered by %1 ]")
                       .arg(QLatin1String(klangor::build::kDomain)));
    setWindowIcon(klangor::appIcon());

    QFont base(klangor::installedFamily(QStringLiteral("Tahoma")));
    base.setPixelSize(12);
    setFont(base);

    // Look of the form that a .ui file cannot say in pixels.
    ui.PageControl1->setCurrentIndex(0);
    ui.Panel4->raise();
    // Right to left (-reverse): the tabs start at the right end of their row, so the language
    // bar goes to the left end, its parts in mirrored order.
    if (layoutDirection() == Qt::RightToLeft) {
        const auto mirror = [](QWidget* w) {
            w->move(w->parentWidget()->width() - w->x() - w->width(), w->y());
        };
        mirror(ui.Panel4);
        for (QWidget* w : ui.Panel4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            mirror(w);
    }
    setPixelFont(ui.Label8, 11);
    setPixelFont(ui.wwDBDateTimePicker1, 17);
    setPixelFont(ui.Button1, 12, true);
    setPixelFont(ui.Label11, 12, true);
    for (QLabel* l : {ui.Label5, ui.Label6, ui.Label7}) {
        setPixelFont(l, 14, true);
        QPalette blue = l->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        l->setPalette(blue);
    }
    for (QLabel* l : {ui.lblStart, ui.lblEnd, ui.lblx})
        setPixelFont(l, 14);
    // The status panel lies along the bottom of its page, the page's full width.
    auto* bottom = new QVBoxLayout(ui.TabSheet1);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addStretch();
    bottom->addWidget(ui.Panel1);
    ui.Panel1->setFixedHeight(33);
    QPalette grey = ui.Panel2->palette();
    grey.setColor(QPalette::Window, QColor(226, 226, 226));
    ui.Panel2->setPalette(grey);
    ui.Panel2->raise();
    setPixelFont(ui.repeater_start, 12, true);
    setPixelFont(ui.repeater_stop, 12, true);
    for (QLabel* l : {ui.Label21, ui.Label20}) {
        setPixelFont(l, 12, false, true, klangor::installedFamily(QStringLiteral("Arial")));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0, 128, 64));
        p.setColor(QPalette::Window, QColor(176, 176, 176));
        l->setPalette(p);
    }

    ui.BitBtn1->setIcon(klangor::glyph(klangor::Glyph::DownTriangle));
    ui.Button2->setIcon(klangor::glyph(klangor::Glyph::Cross));
    ui.Button3->setIcon(klangor::glyph(klangor::Glyph::Tick));
    ui.Button4->setIcon(klangor::glyph(klangor::Glyph::Cross));
    for (QToolButton* b : {ui.SpeedButton1, ui.SpeedButton2, ui.SpeedButton3})
        b->setIcon(klangor::glyph(klangor::Glyph::Play));

    // The drag handles, and the hidden controls whose look is finished when first shown.
    installEventFilter(this);
    for (const char* name : kDragHandles)
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name)))
            w->installEventFilter(this);
    ui.Panel2->installEventFilter(this);
    ui.TabSheet2->installEventFilter(this);

    connect(ui.Panel3, &ClickPanel::clicked, this, &TForm1::Panel3Click);
}

void TForm1::setUpConcerns() {
    using namespace klangor;
    sounds_ = new Sounds(platform_.sound,
                         std::array<Sounds::Preview, 3>{{{ui.SpeedButton1, ui.sxMinutes},
                                                         {ui.SpeedButton2, ui.sxMinutes2},
                                                         {ui.SpeedButton3, ui.salarm}}},
                         this);
    afterAlarm_ = new AfterAlarm(platform_, ui.CheckBox3, this, this);
    afterAlarm_->setBeforePowerChange([this] { SaveSettings(); });
    alarm_ = new AlarmCycle(
        platform_,
        AlarmControls{this, ui.wwDBDateTimePicker1, ui.Button1, ui.Button2, ui.Panel2, ui.Label1,
                      ui.lblStart, ui.lblEnd, ui.lblx, ui.lblAction, ui.CheckBox1, ui.CheckBox2,
                      ui.chkTwo, ui.salarm, ui.ComboBox1},
        *sounds_, *afterAlarm_, this);
    quickDelay_ = new QuickDelay(
        platform_,
        QuickDelayControls{ui.Panel2,
                           ui.BitBtn1,
                           ui.se_hour,
                           ui.se_minute,
                           ui.Button3,
                           ui.Button4,
                           {ui.Button5, ui.Button6, ui.Button7, ui.Button8, ui.Button9, ui.Button14,
                            ui.Button13, ui.Button12, ui.Button11, ui.Button10, ui.Button19,
                            ui.Button18, ui.Button17, ui.Button16, ui.Button15},
                           ui.Button15,
                           ui.wwDBDateTimePicker1,
                           ui.ComboBox1},
        *alarm_, this);
    connect(alarm_, &AlarmCycle::delayPanelRequested, this, &TForm1::BitBtn1Click);
    repeater_ =
        new Repeater(platform_,
                     RepeaterControls{this, ui.repeater_start, ui.repeater_stop, ui.lblstatus,
                                      ui.lblBegin, ui.lblLastx, ui.lblEndx, ui.xMinutes,
                                      ui.xMinutes2, ui.sxMinutes, ui.sxMinutes2, ui.chkTurnOff},
                     *sounds_, *form4_, this);
    language_ =
        new InterfaceLanguage(platform_,
                              LanguageControls{this, form4_.get(), ui.PageControl1, ui.lnlLang,
                                               ui.wwDBDateTimePicker1, ui.CheckBox3},
                              this);
    connect(ui.lnlLang, &ClickPanel::clicked, this, &TForm1::lnlLangClick);
    connect(language_, &InterfaceLanguage::changed, alarm_, &AlarmCycle::setLanguage);
    connect(alarm_, &AlarmCycle::statusLineChanged, this, [this] {
        if (statusLineRoom_)
            statusLineRoom_->fit();
    });
    connect(language_, &InterfaceLanguage::changed, form4_.get(), &TForm4::setLanguage);
    // The status captions change with the language; the line is laid out again around them.
    connect(language_, &InterfaceLanguage::changed, this, [this] {
        if (statusLineRoom_)
            statusLineRoom_->fit();
    });
    settings_ = std::make_unique<SettingsBinding>(platform_.settings, this);
}

// F5 and F1 work wherever the focus is in the window, before the focused control sees them.
void TForm1::setUpKeys() {
    for (const Qt::Key key : {Qt::Key_F5, Qt::Key_F1}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this, key] { FormKeyDown(key); });
    }
    // Esc closes the delay panel wherever the focus is in it, as it does from its two boxes.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), ui.Panel2);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] { se_hourKeyDown(Qt::Key_Escape); });

    // The labels name the boxes and lists beside them, for screen readers.
    const std::pair<QLabel*, QWidget*> buddies[] = {{ui.Label1, ui.wwDBDateTimePicker1},
                                                    {ui.Label2, ui.ComboBox1},
                                                    {ui.Label17, ui.salarm},
                                                    {ui.Label9, ui.se_hour},
                                                    {ui.Label10, ui.se_minute},
                                                    {ui.Label13, ui.xMinutes},
                                                    {ui.Label15, ui.sxMinutes},
                                                    {ui.Label14, ui.xMinutes2},
                                                    {ui.Label16, ui.sxMinutes2}};
    for (const auto& [label, control] : buddies)
        label->setBuddy(control);
}

// The wheel turns only the list or box that has the keyboard focus. The window stays above the
// others and is often under the pointer while the user scrolls in another program; Qt hands the
// wheel to whatever lies under the pointer, and a list moved there unseen (the after-alarm
// action) could power the computer off later. Nor does the wheel give a control the focus: a
// click or Tab does.
void TForm1::setUpWheel() {
    QList<QWidget*> turned;
    for (QComboBox* list : findChildren<QComboBox*>())
        turned << list;
    for (QAbstractSpinBox* box : findChildren<QAbstractSpinBox*>())
        turned << box;
    for (QWidget* w : turned) {
        w->setFocusPolicy(Qt::StrongFocus);
        for (QWidget* inner : w->findChildren<QWidget*>())
            if (inner->focusPolicy() == Qt::WheelFocus)
                inner->setFocusPolicy(Qt::StrongFocus);
    }
    klangor::alarm::EventHook::install(this, turned, [](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();  // the page behind may have a use for it; the control has none
        return true;
    });
}

// Room for the times in the user's long time format, which in some locales is much wider than
// the "00:00:00" the form was drawn for.
void TForm1::fitTimes() {
    using Room = klangor::StatusLineRoom;
    timeFieldRoom_ = std::make_unique<klangor::TimeFieldRoom>(ui.wwDBDateTimePicker1, ui.BitBtn1,
                                                              ui.Button1->x());
    statusLineRoom_ =
        std::make_unique<Room>(std::vector<Room::Piece>{{ui.Label5, Room::Shows::Caption},
                                                        {ui.lblStart, Room::Shows::LongTime},
                                                        {ui.Label6, Room::Shows::Caption},
                                                        {ui.lblEnd, Room::Shows::LongTime},
                                                        {ui.Label7, Room::Shows::Caption},
                                                        {ui.lblx, Room::Shows::Counter}});
    timeFieldRoom_->fit();
    statusLineRoom_->fit();
}

void TForm1::lookOfQuickDelayPanel() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.Label9, ui.Label10, ui.se_hour, ui.se_minute})
        setPixelFont(w, 15, true);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (watched == ui.Panel2)
            lookOfQuickDelayPanel();
        else if (watched == ui.TabSheet2)
            language_->fitRepeaterNote();
    } else if (event->type() == QEvent::MouseButtonPress) {
        // A press that a child left unhandled reaches its parents too: only the control that
        // was actually hit decides.
        auto* widget = static_cast<QWidget*>(watched);
        const auto* press = static_cast<QMouseEvent*>(event);
        if (widget->childAt(press->position().toPoint()) != nullptr)
            return false;
        const QString name = watched->objectName();
        if (std::any_of(std::begin(kDragHandles), std::end(kDragHandles),
                        [&](const char* h) { return name == QLatin1String(h); })) {
            // The move starts only once the pointer really drags: a click (a touchpad tap, a
            // right or middle click) must not leave the window stuck to the pointer.
            if (press->button() == Qt::LeftButton) {
                dragFrom_ = widget;
                dragPressAt_ = press->globalPosition().toPoint();
                following_ = false;
            }
            return true;
        }
    } else if (event->type() == QEvent::MouseMove && watched == dragFrom_) {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!(move->buttons() & Qt::LeftButton)) {
            dragFrom_ = nullptr;
            following_ = false;
        } else if (const QPoint moved = move->globalPosition().toPoint() - dragPressAt_;
                   following_ ||
                   moved.manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()) {
            if (!following_)
                FormMouseDown(dragFrom_);
            // The point grabbed stays under the pointer, from the first pixel on.
            this->move(dragWindowAt_ + moved);
        }
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease && watched == dragFrom_) {
        dragFrom_ = nullptr;
        following_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // Placed once, as it opens: restoring it after an alarm leaves it where it is.
        platform_.window->placeCentred(this);
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    form4_->hide();
    event->accept();
}

void TForm1::FormShow() {
    ui.repeater_stop->move(ui.repeater_start->pos());
    ui.PageControl1->setCurrentIndex(0);
    for (QLabel* l : {ui.lblstatus, ui.lblEndx, ui.lblBegin, ui.lblLastx})
        l->clear();
    LoadSettings();
    language_->chooseDefault();
    SetLanguage();
    ui.wwDBDateTimePicker1->setTime(platform_.clock->now().time());
    ui.wwDBDateTimePicker1->setFocus();
}

void TForm1::FormClose() {
    repeater_->stopTimers();
    SaveSettings();
}

void TForm1::FormKeyDown(int key) {
    // Tested one after the other, not as alternatives.
    if (key == Qt::Key_F5)
        Button1Click();
    if (key == Qt::Key_F1)
        openDelayPanelFromAnyPage();
}

// The delay panel belongs to the Alarm page: from another page F1 shows that page first, and
// opens the panel there even if it was left open when the page was changed.
void TForm1::openDelayPanelFromAnyPage() {
    if (ui.PageControl1->currentWidget() != ui.TabSheet1 && ui.wwDBDateTimePicker1->isEnabled()) {
        ui.PageControl1->setCurrentWidget(ui.TabSheet1);
        ui.Panel2->hide();
    }
    BitBtn1Click();
}

// The window follows the pointer until the button is released, the point grabbed staying under
// it. The window moves itself rather than asking the window manager for a move: a move the
// window manager starts takes the pointer where it is by then as the point grabbed, the drag
// threshold behind the press.
void TForm1::FormMouseDown(QWidget* /*sender*/) {
    following_ = true;
    dragWindowAt_ = pos();
}

void TForm1::Panel3Click() {
    platform_.shell->open(klangor::build::kHomePage);
}

// The handlers of the concerns, under their own names.

void TForm1::Button1Click() {
    alarm_->Button1Click();
}
void TForm1::Timer1Timer() {
    alarm_->Timer1Timer();
}
void TForm1::Timer2Timer() {
    alarm_->Timer2Timer();
}
void TForm1::Button2Click() {
    alarm_->Button2Click();
}
void TForm1::Label1DblClick() {
    alarm_->Label1DblClick();
}
void TForm1::wwDBDateTimePicker1KeyPress(QChar key) {
    alarm_->wwDBDateTimePicker1KeyPress(key);
}
void TForm1::ayunutma1Click(QAction* sender) {
    alarm_->ayunutma1Click(sender);
}

void TForm1::BitBtn1Click() {
    quickDelay_->BitBtn1Click();
}
void TForm1::Button5Click(QPushButton* sender) {
    quickDelay_->Button5Click(sender);
}
void TForm1::Button15Click() {
    quickDelay_->Button15Click();
}
void TForm1::Button5MouseUp(QPushButton* sender, Qt::MouseButton button) {
    quickDelay_->Button5MouseUp(sender, button);
}
void TForm1::Button3Click() {
    quickDelay_->Button3Click();
}
void TForm1::Button4Click() {
    quickDelay_->Button4Click();
}
void TForm1::se_hourEnter() {
    quickDelay_->se_hourEnter();
}
void TForm1::se_minuteEnter() {
    quickDelay_->se_minuteEnter();
}
void TForm1::se_hourKeyDown(int key) {
    quickDelay_->se_hourKeyDown(key);
}
void TForm1::se_minuteKeyDown(int key) {
    quickDelay_->se_minuteKeyDown(key);
}

void TForm1::CheckBox3Change() {
    afterAlarm_->CheckBox3Change();
}
void TForm1::DoShutAction() {
    afterAlarm_->DoShutAction();
}

void TForm1::repeater_startClick() {
    repeater_->repeater_startClick();
}
void TForm1::repeater_stopClick() {
    repeater_->repeater_stopClick();
}
void TForm1::repeaterTimer() {
    repeater_->repeaterTimer();
}
void TForm1::repear_endTimer() {
    repeater_->repear_endTimer();
}

void TForm1::PlaySnd(int index) {
    sounds_->PlaySnd(index);
}
void TForm1::SpeedButton1Click() {
    sounds_->SpeedButton1Click();
}
void TForm1::SpeedButton2Click() {
    sounds_->SpeedButton2Click();
}
void TForm1::SpeedButton3Click() {
    sounds_->SpeedButton3Click();
}

bool TForm1::IsTurkishLocale() const {
    return language_->IsTurkishLocale();
}
void TForm1::SetLanguage() {
    language_->SetLanguage();
}
void TForm1::lnlLangClick() {
    language_->lnlLangClick();
}

void TForm1::LoadSettings() {
    if (const std::optional<QString> code = settings_->load())
        language_->setCode(*code);
}

void TForm1::SaveSettings() {
    settings_->save();
}
