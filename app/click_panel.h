// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

/// A raised panel with a caption that acts as a small button: a left click, or Space or Enter
/// while it has the focus, presses it. Screen readers see a button.
class ClickPanel final : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(QWidget* parent = nullptr);

    /// Presses it, as a click does.
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
