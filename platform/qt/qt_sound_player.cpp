#include "platform/qt/qt_sound_player.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSoundEffect>
#include <QTimer>
#include <QWindow>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSound, "klangor.sound")

namespace klangor {

namespace {

const QString kResourceDir = QStringLiteral(":/sounds");
constexpr int kShownPollMs = 50;
constexpr int kShownPollTries = 40;  // give up waiting for a window after 2 s and load anyway

// True while a window has been asked to show but is not on screen yet.
bool windowStillComingUp() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const auto windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [](const QWindow* w) { return w->isVisible() && !w->isExposed(); });
}

}  // namespace

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {
    // Runs once the event loop turns, after the main window's show() was asked for.
    QTimer::singleShot(0, this, [this] { preloadOnceShown(kShownPollTries); });
}

QtSoundPlayer::~QtSoundPlayer() = default;  // the effects are children of this object

void QtSoundPlayer::preloadOnceShown(int triesLeft) {
    if (triesLeft > 0 && windowStillComingUp()) {
        QTimer::singleShot(kShownPollMs, this,
                           [this, triesLeft] { preloadOnceShown(triesLeft - 1); });
        return;
    }
    preload();
}

void QtSoundPlayer::preload() {
    const QStringList files = QDir(kResourceDir).entryList({QStringLiteral("*.wav")}, QDir::Files);
    for (const QString& file : files) {
        const QString key = QFileInfo(file).completeBaseName();
        keepCached(key, sourceOf(key));
    }
}

QUrl QtSoundPlayer::sourceOf(const QString& key) const {
    const QString path = kResourceDir + QLatin1Char('/') + key + QStringLiteral(".wav");
    if (key.isEmpty() || !QFileInfo::exists(path))
        return {};
    return QUrl(QStringLiteral("qrc") + path);
}

void QtSoundPlayer::keepCached(const QString& key, const QUrl& source) {
    if (idle_.contains(key))
        return;
    auto* keeper = new QSoundEffect(this);
    keeper->setSource(source);
    connect(keeper, &QSoundEffect::statusChanged, this, [keeper, source] {
        if (keeper->status() == QSoundEffect::Error)
            qCWarning(lcSound) << "could not load" << source.toString();
    });
    idle_.insert(key, keeper);
}

void QtSoundPlayer::play(const QString& name) {
    const QString key = name.toLower();
    const QUrl source = sourceOf(key);
    if (source.isEmpty()) {
        qCWarning(lcSound) << "no built-in sound named" << name;
        return;
    }
    keepCached(key, source);

    // WORKAROUND: Qt 6.4 plays a reused QSoundEffect only now and then. A fresh effect per play
    // comes out every time, and its sample is already in the cache (held by the idle keeper),
    // so it is ready at once. Deleting the previous effect stops it: one sound at a time, and a
    // second play of the same sound starts it again from the beginning.
    delete current_;
    current_ = new QSoundEffect(this);
    QSoundEffect* effect = current_;
    connect(effect, &QSoundEffect::statusChanged, this, [effect, source] {
        if (effect->status() == QSoundEffect::Error)
            qCWarning(lcSound) << "could not play" << source.toString();
    });
    effect->setSource(source);
    effect->play();  // returns at once; nothing here waits for the end (without a sound server
                     // QSoundEffect says it plays forever)
}

}  // namespace klangor
