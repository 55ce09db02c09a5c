#include "app/form1.h"

#include "app/glyphs.h"
#include "app/theme.h"
#include "repeater/form4.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

namespace {

// Controls on which pressing a mouse button drags the whole window.
constexpr const char* kDragHandles[] = {"Form1",   "TabSheet1", "TabSheet2", "Panel1", "Panel2",
                                        "Label3",  "Label4",    "Label12",   "Label5", "lblStart",
                                        "Label6",  "lblEnd",    "Label7",    "lblx",   "Label9",
                                        "Label10", "Label8"};

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

constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

QTimer* makeTimer(QObject* parent, const char* name, int intervalMs) {
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

}  // namespace

TForm1::TForm1(klangor::Platform platform, QWidget* parent)
    // The window flags come before the controls: setting them later re-creates the window and
    // re-polishes every control under the theme's style sheet, a good part of the start-up time.
    : QWidget(parent, kWindowFlags), platform_(std::move(platform)) {
    setupUi(this);

    Timer1 = makeTimer(this, "Timer1", 500);
    Timer2 = makeTimer(this, "Timer2", 3000);
    repeater = makeTimer(this, "repeater", 30000);
    repear_end = makeTimer(this, "repear_end", 0);
    repear_end->setSingleShot(false);  // switched off by its own handler, as a window timer is

    setUpFrame();
    setUpAlarm();
    setUpQuickDelay();
    setUpAfterAlarm();
    setUpRepeater();
    setUpSounds();
    setUpLanguage();

    form4_ = new TForm4(platform_);
}

TForm1::~TForm1() {
    delete form4_;
}

void TForm1::setUpFrame() {
    setFixedSize(368, 345);
    setWindowTitle(
        QStringLiteral("Tempiro v2.7 [ powered by %1 ]").arg(QStringLiteral(KLANGOR_DOMAIN)));
    setWindowIcon(klangor::appIcon());

    QFont base(klangor::installedFamily(QStringLiteral("Tahoma")));
    base.setPixelSize(12);
    setFont(base);

    // Look of the form that a .ui file cannot say in pixels.
    PageControl1->setCurrentIndex(0);
    Panel4->raise();
    setPixelFont(Label8, 11);
    setPixelFont(wwDBDateTimePicker1, 17);
    setPixelFont(Button1, 12, true);
    setPixelFont(Label11, 12, true);
    for (QLabel* l : {Label5, Label6, Label7}) {
        setPixelFont(l, 14, true);
        QPalette blue = l->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        l->setPalette(blue);
    }
    for (QLabel* l : {lblStart, lblEnd, lblx})
        setPixelFont(l, 14);
    QPalette grey = Panel2->palette();
    grey.setColor(QPalette::Window, QColor(226, 226, 226));
    Panel2->setPalette(grey);
    Panel2->raise();
    setPixelFont(repeater_start, 12, true);
    setPixelFont(repeater_stop, 12, true);
    for (QLabel* l : {Label21, Label20}) {
        setPixelFont(l, 12, false, true, klangor::installedFamily(QStringLiteral("Arial")));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0, 128, 64));
        p.setColor(QPalette::Window, QColor(176, 176, 176));
        l->setPalette(p);
    }

    BitBtn1->setIcon(klangor::glyph(klangor::Glyph::DownTriangle));
    Button2->setIcon(klangor::glyph(klangor::Glyph::Cross));
    Button3->setIcon(klangor::glyph(klangor::Glyph::Tick));
    Button4->setIcon(klangor::glyph(klangor::Glyph::Cross));
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3})
        b->setIcon(klangor::glyph(klangor::Glyph::Play));

    ppText = new QMenu(this);
    ppText->setObjectName(QStringLiteral("ppText"));

    // Key preview: the window sees every key before the focused control does.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    connect(Panel3, &ClickPanel::clicked, this, &TForm1::Panel3Click);
}

void TForm1::lookOfQuickDelayPanel() {
    for (QWidget* w : std::initializer_list<QWidget*>{Label9, Label10, se_hour, se_minute})
        setPixelFont(w, 15, true);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (watched == Panel2)
            lookOfQuickDelayPanel();
        else if (watched == TabSheet2)
            fitRepeaterNote();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F5 || key == Qt::Key_F1) {
            FormKeyDown(key);
            return true;
        }
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
            FormMouseDown(widget);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
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
    repeater_stop->move(repeater_start->pos());
    PageControl1->setCurrentIndex(0);
    for (QLabel* l : {lblstatus, lblEndx, lblBegin, lblLastx})
        l->clear();
    LoadSettings();
    if (_lang.isEmpty())
        _lang = IsTurkishLocale() ? QStringLiteral("TR") : QStringLiteral("EN");
    SetLanguage();
    wwDBDateTimePicker1->setTime(platform_.clock->now().time());
    wwDBDateTimePicker1->setFocus();
}

void TForm1::FormClose() {
    repeater->stop();
    repear_end->stop();
    SaveSettings();
}

void TForm1::FormKeyDown(int key) {
    // Tested one after the other, not as alternatives.
    if (key == Qt::Key_F5)
        Button1Click();
    if (key == Qt::Key_F1)
        BitBtn1Click();
}

void TForm1::FormMouseDown(QWidget* /*sender*/) {
    platform_.window->startDrag(this);
}

void TForm1::Panel3Click() {
    platform_.shell->open(KLANGOR_HOMEPAGE);
}

int SpinValue(const QSpinBox* box) {
    bool ok = false;
    const qlonglong v = box->cleanText().trimmed().toLongLong(&ok);
    if (!ok)
        return box->minimum();
    return static_cast<int>(std::clamp<qlonglong>(v, box->minimum(), box->maximum()));
}
