// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"
#include "platform/platform.h"
#include "ui_form4.h"

#include <QTimer>
#include <QWidget>

/// The screen-off prompt: one big button that switches the monitor off, and a countdown after
/// which the window closes by itself.
class TForm4 final : public QWidget, public Ui::TForm4 {
    Q_OBJECT
public:
    /// `fontFamily` is the family the windows are drawn in (empty: the application's).
    explicit TForm4(klangor::Platform platform, const QString& fontFamily = {},
                    QWidget* parent = nullptr);

    QTimer* Timer1;  // 1000 ms, the countdown

    void FormShow();
    void FormClose();
    void FormKeyDown(int key);
    void Timer1Timer();
    void Button1Click();

    int secondsLeft() const { return rcx; }
    /// The language of the notification that says the screen could not be switched off.
    void setLanguage(klangor::lang::Language language) { language_ = language; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    klangor::Platform platform_;
    int rcx = 0;  // seconds left on the countdown
    klangor::lang::Language language_ = klangor::lang::Language::English;
};
