// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/theme.h"

#include "app/click_panel.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>

namespace klangor {

namespace {

QString findInstalledFamily(const QString& wanted) {
    // The installed families themselves, not QFontDatabase::hasFamily(): that first has
    // fontconfig resolve the name as an alias, a millisecond or more for each name not
    // installed, and may answer yes for a name that only an alias maps to a wider font.
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(wanted, Qt::CaseInsensitive))
        return wanted;
    // Fonts of similar width first: Liberation Sans has Arial's metrics and is close to Tahoma.
    for (const char* family : {"Liberation Sans", "Arimo", "DejaVu Sans", "Noto Sans"}) {
        const QString f = QString::fromLatin1(family);
        if (installed.contains(f, Qt::CaseInsensitive))
            return f;
    }
    return wanted;
}

// "Aqua Light Slate": light slate-grey surfaces, glossy blue-grey buttons and tabs. Drawn by a
// style over Fusion rather than a style sheet: a style sheet re-polishes every control as it is
// made, which was a sixth of the start-up time.
namespace slate {
const QColor kSurface(0xe9, 0xed, 0xf2);
const QColor kLine(0x9a, 0xa6, 0xb4);        // tabs, panes, fields
const QColor kButtonLine(0x87, 0x93, 0xa2);  // buttons and panels
const QColor kHoverLine(0x4a, 0x7f, 0xb5);
const QColor kFocusLine(0x2f, 0x6b, 0xb0);
const QColor kPressed(0xc5, 0xd0, 0xdc);
const QColor kToolHover(0xd6, 0xe2, 0xef);
const QColor kTabHover(0xdf, 0xe8, 0xf3);
const QColor kDisabledField(0xee, 0xf0, 0xf3);
const QColor kDisabledText(0x8a, 0x92, 0x9c);
constexpr int kTabHeight = 30;

QPalette palette(const QPalette& base) {
    QPalette p = base;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, kSurface);
        p.setColor(group, QPalette::Button, QColor(0xe3, 0xe8, 0xee));
        p.setColor(group, QPalette::Base, group == QPalette::Disabled ? kDisabledField : Qt::white);
        p.setColor(group, QPalette::Highlight, kFocusLine);
        p.setColor(group, QPalette::ToolTipBase, QColor(0xff, 0xfb, 0xe6));
        p.setColor(group, QPalette::ToolTipText, QColor(0x22, 0x22, 0x22));
    }
    p.setColor(QPalette::Disabled, QPalette::Text, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, kDisabledText);
    return p;
}

QLinearGradient glossy(const QRect& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xfb, 0xfc, 0xfd));
    g.setColorAt(0.5, QColor(0xe3, 0xe8, 0xee));
    g.setColorAt(0.51, QColor(0xd3, 0xda, 0xe3));
    g.setColorAt(1, QColor(0xe6, 0xeb, 0xf1));
    return g;
}

QLinearGradient soft(const QRect& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void roundedBox(QPainter* p, const QRect& r, const QBrush& fill, const QColor& line, qreal radius) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(line);
    p->setBrush(fill);
    p->drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p->restore();
}

// The keyboard focus: a second line inside the border, so that with the border itself the
// focused control has a two-pixel blue edge. Shown whenever the control has the focus, not only
// after the keyboard was used, so that it is never a guess where Space and Enter go.
void focusRing(QPainter* p, const QRect& r, qreal radius) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(kFocusLine, 1));
    p->setBrush(Qt::NoBrush);
    p->drawRoundedRect(QRectF(r).adjusted(1.5, 1.5, -1.5, -1.5), qMax<qreal>(radius - 1, 0),
                       qMax<qreal>(radius - 1, 0));
    p->restore();
}

bool hasFocus(const QStyleOption* opt) {
    return opt->state & QStyle::State_HasFocus && opt->state & QStyle::State_Enabled;
}

class Style final : public QProxyStyle {
public:
    Style() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void polish(QWidget* w) override {
        QProxyStyle::polish(w);
        if (qobject_cast<QToolButton*>(w) || qobject_cast<ClickPanel*>(w) ||
            qobject_cast<QTabBar*>(w))
            w->setAttribute(Qt::WA_Hover);
    }
    using QProxyStyle::polish;

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override {
        const bool hover = opt->state & State_MouseOver && opt->state & State_Enabled;
        switch (pe) {
            case PE_PanelButtonCommand:
                if (qobject_cast<const QComboBox*>(w)) {  // a list field, drawn like the others
                    roundedBox(p, opt->rect, opt->palette.brush(QPalette::Base),
                               hasFocus(opt) ? kFocusLine : kLine, 2);
                    if (hasFocus(opt))
                        focusRing(p, opt->rect, 2);
                    return;
                }
                button(opt, p);
                return;
            case PE_PanelButtonTool:
                if (w && w->objectName() == QLatin1String("BitBtn1")) {
                    button(opt, p);
                } else if (hover || opt->state & State_Sunken) {
                    roundedBox(p, opt->rect, opt->state & State_Sunken ? kPressed : kToolHover,
                               Qt::transparent, 3);
                }
                return;
            case PE_FrameFocusRect:
                // Buttons, lists and the small panel buttons show the focus in their border;
                // the rest (check boxes, the tab row) get a line around their text, always.
                if (qobject_cast<const QPushButton*>(w) || qobject_cast<const QComboBox*>(w) ||
                    qobject_cast<const ClickPanel*>(w))
                    return;
                roundedBox(p, opt->rect, Qt::NoBrush, kFocusLine, 2);
                return;
            case PE_FrameTabWidget:
                p->save();
                p->setPen(kLine);
                p->setBrush(opt->palette.window());
                p->drawRect(opt->rect.adjusted(0, 0, -1, -1));
                p->restore();
                return;
            case PE_FrameTabBarBase:
                return;
            default:
                break;
        }
        QProxyStyle::drawPrimitive(pe, opt, p, w);
    }

    void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p,
                     const QWidget* w) const override {
        if (ce == CE_TabBarTabShape) {
            tab(opt, p);
            return;
        }
        if (ce == CE_ShapedFrame && qobject_cast<const ClickPanel*>(w)) {
            const bool hover = opt->state & State_MouseOver;
            roundedBox(p, opt->rect,
                       soft(opt->rect, QColor(0xfb, 0xfc, 0xfd), QColor(0xd3, 0xda, 0xe3)),
                       hasFocus(opt) ? kFocusLine
                       : hover       ? kHoverLine
                                     : kButtonLine,
                       3);
            if (hasFocus(opt))
                focusRing(p, opt->rect, 3);
            return;
        }
        QProxyStyle::drawControl(ce, opt, p, w);
        if (ce == CE_ShapedFrame && qobject_cast<const QAbstractScrollArea*>(w) &&
            hasFocus(opt)) {  // the note box
            roundedBox(p, opt->rect, Qt::NoBrush, kFocusLine, 2);
            focusRing(p, opt->rect, 2);
        }
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override {
        QProxyStyle::drawComplexControl(cc, opt, p, w);
        if (cc == CC_SpinBox && hasFocus(opt)) {
            // The field's own border turns blue; the line inside it is faint, for the time
            // field's digits come close to it.
            roundedBox(p, opt->rect, Qt::NoBrush, kFocusLine, 2);
            p->save();
            p->setPen(QColor(kFocusLine.red(), kFocusLine.green(), kFocusLine.blue(), 110));
            p->drawRect(QRectF(opt->rect).adjusted(1.5, 1.5, -1.5, -1.5));
            p->restore();
        }
    }

    int pixelMetric(PixelMetric pm, const QStyleOption* opt, const QWidget* w) const override {
        if (pm == PM_SpinBoxFrameWidth)
            return 1;  // the fields' one-pixel border; the time picker needs every pixel
        return QProxyStyle::pixelMetric(pm, opt, w);
    }

    // Narrow arrows, so that the 17 px time in the picker fits its 82 px field.
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override {
        if (cc == CC_SpinBox) {
            constexpr int kArrows = 13;
            const QRect r = opt->rect.adjusted(1, 1, -1, -1);
            const int half = r.height() / 2;
            switch (sc) {
                case SC_SpinBoxUp:
                    return QRect(r.right() - kArrows + 1, r.top(), kArrows, half);
                case SC_SpinBoxDown:
                    return QRect(r.right() - kArrows + 1, r.top() + half, kArrows,
                                 r.height() - half);
                case SC_SpinBoxEditField:
                    return QRect(r.left(), r.top(), r.width() - kArrows, r.height());
                default:
                    break;
            }
        }
        return QProxyStyle::subControlRect(cc, opt, sc, w);
    }

    QSize sizeFromContents(ContentsType ct, const QStyleOption* opt, const QSize& size,
                           const QWidget* w) const override {
        QSize s = QProxyStyle::sizeFromContents(ct, opt, size, w);
        if (ct == CT_TabBarTab) {
            s.setHeight(kTabHeight);
            s.setWidth(size.width() + 4);  // borders, and 2 px between tabs
        }
        return s;
    }

private:
    static void button(const QStyleOption* opt, QPainter* p) {
        QColor line = kButtonLine;
        if (opt->state & State_MouseOver && opt->state & State_Enabled)
            line = kHoverLine;
        if (hasFocus(opt))
            line = kFocusLine;
        const bool down = opt->state & (State_Sunken | State_On);
        roundedBox(p, opt->rect, down ? QBrush(kPressed) : QBrush(glossy(opt->rect)), line, 4);
        if (hasFocus(opt))
            focusRing(p, opt->rect, 4);
    }

    static void tab(const QStyleOption* opt, QPainter* p) {
        const bool selected = opt->state & State_Selected;
        const bool hover = opt->state & State_MouseOver;
        QRect r = opt->rect.adjusted(0, 0, -2, selected ? 1 : 0);  // 2 px apart; open below
        QBrush fill = soft(r, QColor(0xf4, 0xf6, 0xf9), QColor(0xcf, 0xd6, 0xdf));
        if (selected)
            fill = kSurface;
        else if (hover)
            fill = kTabHover;
        const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, 0);
        QPainterPath path;
        constexpr qreal radius = 5;
        path.moveTo(f.bottomLeft());
        path.lineTo(f.left(), f.top() + radius);
        path.arcTo(QRectF(f.left(), f.top(), 2 * radius, 2 * radius), 180, -90);
        path.lineTo(f.right() - radius, f.top());
        path.arcTo(QRectF(f.right() - 2 * radius, f.top(), 2 * radius, 2 * radius), 90, -90);
        path.lineTo(f.bottomRight());
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->fillPath(path, fill);
        p->setPen(kLine);
        p->drawPath(path);
        if (selected && hasFocus(opt)) {  // the tab row has the focus: a line inside the tab
            p->setPen(kFocusLine);
            p->drawRoundedRect(QRectF(r).adjusted(3.5, 3.5, -3.5, -2.5), 2, 2);
        }
        p->restore();
    }
};
}  // namespace slate

}  // namespace

QString installedFamily(const QString& wanted) {
    // Asking for a family that is not installed makes fontconfig resolve aliases, a few
    // milliseconds each time; the windows ask for the same few families while they are built.
    static QHash<QString, QString> answers;
    auto it = answers.constFind(wanted);
    if (it == answers.constEnd())
        it = answers.insert(wanted, findInstalledFamily(wanted));
    return *it;
}

bool applyTheme(const QString& name) {
    if (name.compare(QLatin1String("Aqua Light Slate"), Qt::CaseInsensitive) != 0) {
        QMessageBox::critical(nullptr, QStringLiteral("Klangor"),
                              QStringLiteral("Could not load the theme \"%1\".").arg(name));
        return false;
    }
    auto* style = new slate::Style;
    QApplication::setStyle(style);
    QApplication::setPalette(slate::palette(style->standardPalette()));
    QFont font(installedFamily(QStringLiteral("Tahoma")));
    font.setPixelSize(12);
    QApplication::setFont(font);
    return true;
}

}  // namespace klangor
