// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/platform.h"

#include <QList>
#include <QObject>

class QDateTimeEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace klangor {

class AlarmCycle;

/// The controls of the delay panel and the two it works with.
struct QuickDelayControls {
    QWidget* panel;                     // Panel2
    QPushButton* openButton;            // BitBtn1: the triangle beside the picker
    QSpinBox* hours;                    // se_hour
    QSpinBox* minutes;                  // se_minute
    QPushButton* accept;                // Button3
    QPushButton* close;                 // Button4
    QList<QPushButton*> minuteButtons;  // Button5 ... Button19, in focus order
    QPushButton* sixty;                 // Button15, the "60" button
    QDateTimeEdit* picker;              // wwDBDateTimePicker1
    QWidget* note;                      // ComboBox1, focused when a delay is accepted
};

/// The delay panel: an alarm in so many hours and minutes from now.
class QuickDelay final : public QObject {
    Q_OBJECT
public:
    QuickDelay(const Platform& platform, const QuickDelayControls& controls, AlarmCycle& alarm,
               QObject* parent = nullptr);

    void BitBtn1Click();
    void Button5Click(QPushButton* sender);
    void Button15Click();
    void Button5MouseUp(QPushButton* sender, Qt::MouseButton button);
    void Button3Click();
    void Button4Click();
    void se_hourEnter();
    void se_minuteEnter();
    void se_hourKeyDown(int key);
    void se_minuteKeyDown(int key);

private:
    void closeToPicker();

    Platform platform_;
    QuickDelayControls ui_;
    AlarmCycle& alarm_;
};

}  // namespace klangor
