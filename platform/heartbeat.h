// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTimer>

namespace klangor {

/// A window timer under its object name: a precise heartbeat whose handler asks the clock, so a
/// late or skipped tick never shifts what it watches. Created switched off.
inline QTimer* makeHeartbeat(QObject* parent, const char* name, int intervalMs) {
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    t->setTimerType(Qt::PreciseTimer);  // the default coarse timer may be 5 % late
    return t;
}

}  // namespace klangor
