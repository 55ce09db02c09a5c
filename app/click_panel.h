#pragma once

#include <QLabel>

/// A raised panel with a caption that acts as a small button.
class ClickPanel final : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
