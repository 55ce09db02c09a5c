// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The platform operations that Qt carries out the same way on every system.

#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/locale_info.h"
#include "platform/sleeper.h"
#include "platform/window_ops.h"

namespace klangor {

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

class ThreadSleeper final : public Sleeper {
public:
    void sleepMs(int ms) override;
};

class QtWindowOps final : public WindowOps {
public:
    void minimize(QWidget* window) override;
    bool isMinimized(const QWidget* window) const override;
    void restoreAndRaise(QWidget* window) override;
    void showWithoutFocus(QWidget* window) override;
    void placeCentred(QWidget* window) override;
};

class QtLocaleInfo final : public LocaleInfo {
public:
    QString languageName() const override;
};

class QtFileChooser final : public FileChooser {
public:
    std::optional<QString> chooseFile(QWidget* parent, const QString& folder) override;
};

}  // namespace klangor
