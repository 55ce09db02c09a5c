// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sound_player.h"

#include <QObject>

#include <array>
#include <memory>

class QAbstractButton;
class QComboBox;

namespace klangor {

/// The one way every part of the program plays a sound (PlaySnd), and the three preview buttons,
/// each of which plays the entry chosen in its list.
class Sounds final : public QObject {
    Q_OBJECT
public:
    struct Preview {
        QAbstractButton* button;
        QComboBox* list;
    };

    /// `previews` are SpeedButton1 (first warning), SpeedButton2 (second warning) and
    /// SpeedButton3 (alarm), in that order.
    Sounds(std::shared_ptr<SoundPlayer> player, const std::array<Preview, 3>& previews,
           QObject* parent = nullptr);

    /// Starts the recording that a sound list index names and returns at once; the player cuts
    /// off whatever still plays. Silence (5, -1, ...) leaves a playing sound alone.
    void PlaySnd(int index);
    /// Readies the player shortly before a sound is due.
    void prepare();

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

private:
    std::shared_ptr<SoundPlayer> player_;
    std::array<Preview, 3> previews_;
};

}  // namespace klangor
