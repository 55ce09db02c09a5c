// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/sounds.h"

#include "sound/catalogue.h"

#include <QAbstractButton>
#include <QComboBox>

namespace klangor {

Sounds::Sounds(std::shared_ptr<SoundPlayer> player, const std::array<Preview, 3>& previews,
               QObject* parent)
    : QObject(parent), player_(std::move(player)), previews_(previews) {
    connect(previews_[0].button, &QAbstractButton::clicked, this, &Sounds::SpeedButton1Click);
    connect(previews_[1].button, &QAbstractButton::clicked, this, &Sounds::SpeedButton2Click);
    connect(previews_[2].button, &QAbstractButton::clicked, this, &Sounds::SpeedButton3Click);
}

void Sounds::PlaySnd(int index) {
    const QString name = soundForIndex(index);
    if (name.isEmpty())
        return;
    player_->play(name);
}

void Sounds::prepare() {
    player_->prepare();
}

void Sounds::SpeedButton1Click() {
    PlaySnd(previews_[0].list->currentIndex());
}

void Sounds::SpeedButton2Click() {
    PlaySnd(previews_[1].list->currentIndex());
}

void Sounds::SpeedButton3Click() {
    PlaySnd(previews_[2].list->currentIndex());
}

}  // namespace klangor
