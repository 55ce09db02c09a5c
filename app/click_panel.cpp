// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/click_panel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// A label answers screen readers as static text; this one is a button with a press action.
class AccessibleClickPanel final : public QAccessibleWidget {
public:
    explicit AccessibleClickPanel(ClickPanel* panel)
        : QAccessibleWidget(panel, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = static_cast<ClickPanel*>(widget())->text();
        return s;
    }

    QStringList actionNames() const override {
        return QStringList(pressAction()) << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction())
            static_cast<ClickPanel*>(widget())->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ClickPanel") && object->isWidgetType())
        return new AccessibleClickPanel(static_cast<ClickPanel*>(object));
    return nullptr;
}

}  // namespace

ClickPanel::ClickPanel(QWidget* parent) : QLabel(parent) {
    static const bool registered = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(registered);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    QFont f = font();
    f.setBold(true);
    setFont(f);
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat())
                emit clicked();
            event->accept();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}
