#pragma once

// Do-nothing operations for systems that lack a mechanism. Each logs what it skipped.

#include "platform/monitor.h"
#include "platform/notifier.h"
#include "platform/power.h"
#include "platform/settings_store.h"
#include "platform/sound_player.h"

namespace klangor {

class NullPower final : public Power {
public:
    void request(PowerAction action, std::function<void(bool)> done = {}) override;
};

class NullMonitor final : public Monitor {
public:
    void switchOff(std::function<void(bool)> done = {}) override;
};

class NullNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override;
};

class NullSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& name) override;
};

class NullSettingsStore final : public SettingsStore {
public:
    bool exists() override { return false; }
    std::optional<QVariant> read(const QString&) override { return std::nullopt; }
    bool save(const std::vector<std::pair<QString, QVariant>>&) override { return false; }
};

}  // namespace klangor
