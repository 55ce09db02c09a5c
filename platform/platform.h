// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/locale_info.h"
#include "platform/monitor.h"
#include "platform/notifier.h"
#include "platform/power.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/sleeper.h"
#include "platform/sound_player.h"
#include "platform/window_ops.h"

#include <memory>

namespace klangor {

/// Everything through which the program reaches the operating system. main() builds the real
/// one; tests build one of fakes. Every member is set: a system that lacks a mechanism gets an
/// implementation that logs what it skipped, never a null pointer.
struct Platform {
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Sleeper> sleeper;
    std::shared_ptr<WindowOps> window;
    std::shared_ptr<SoundPlayer> sound;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<Power> power;
    std::shared_ptr<Monitor> monitor;
    std::shared_ptr<LocaleInfo> locale;
    std::shared_ptr<SettingsStore> settings;
    std::shared_ptr<FileChooser> files;
    std::shared_ptr<Notifier> notifier;

    /// Whether every operation is there; the main window refuses a bundle with a gap.
    bool complete() const {
        return clock && sleeper && window && sound && shell && power && monitor && locale &&
               settings && files && notifier;
    }
};

/// The real operations of the system the program was built for.
Platform makeSystemPlatform();

}  // namespace klangor
