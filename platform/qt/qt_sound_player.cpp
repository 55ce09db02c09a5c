// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_sound_player.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSoundEffect>

#include <algorithm>

namespace klangor {

// Owns the effects; every call runs on the sound thread.
class QtSoundPlayer::Engine final : public QObject {
public:
    void play(const QString& key, const QUrl& source) {
        if (!idle_.contains(key)) {
            // An idle effect per recording holds its sample in Qt's cache, so that every later
            // effect for it is ready at once.
            auto* keeper = new QSoundEffect(this);
            watch(keeper, "could not load");
            keeper->setSource(source);
            idle_.insert(key, keeper);
        }
        // WORKAROUND: Qt 6.4 plays a reused QSoundEffect only now and then; a fresh one per
        // play comes out every time. Deleting the previous one stops it: one sound at a time,
        // and playing the same sound again starts it from the beginning.
        delete current_;
        current_ = new QSoundEffect(this);
        watch(current_, "could not play");
        current_->setSource(source);
        current_->play();  // without a sound server it reports playing forever: never wait
    }

private:
    void watch(QSoundEffect* effect, const char* what) {
        connect(effect, &QSoundEffect::statusChanged, this, [effect, what] {
            if (effect->status() == QSoundEffect::Error)
                qCWarning(lcSound) << what << effect->source().toString();
        });
    }

    QHash<QString, QSoundEffect*> idle_;
    QSoundEffect* current_ = nullptr;
};

namespace {
// A sound thread that has not got through a play after this long is taken to be stuck.
constexpr qint64 kEngineAnswerMs = 3000;
// How long the end of the program waits for the sound thread to wind down.
constexpr int kShutdownWaitMs = 2000;

// Sound threads given up on while still stuck in the sound server.
std::atomic<int> threadsStuck{0};

// Counts `thread` as stuck until it ends, if it ever does.
void countStuck(QThread* thread) {
    threadsStuck.fetch_add(1);
    QObject::connect(thread, &QThread::finished, [] { threadsStuck.fetch_sub(1); });
}

qint64 monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}
}  // namespace

QtSoundPlayer::~QtSoundPlayer() {
    if (!engine_)
        return;
    // The effects are deleted on their own thread while it still runs, and the clean-up that
    // their deletion posts there is carried out before the thread ends.
    QMetaObject::invokeMethod(
        engine_,
        [engine = engine_] {
            delete engine;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (thread_->wait(kShutdownWaitMs)) {
        delete thread_;
    } else {
        // Stuck in the sound server: the process is ending, so it is left to the system.
        qCWarning(lcSound) << "the sound thread did not end; leaving it behind";
        countStuck(thread_);
    }
}

void QtSoundPlayer::startEngine() {
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("klangor sound"));
    engine_ = new Engine;
    engine_->moveToThread(thread_);
    done_ = std::make_shared<std::atomic<int>>(0);
    posted_ = 0;
    thread_->start();
}

void QtSoundPlayer::abandonEngine() {
    qCWarning(lcSound) << "the sound thread has not answered for" << kEngineAnswerMs
                       << "ms (a stalled sound server?); starting another one";
    // Whenever it comes back, it ends by itself and deletes what it holds.
    QObject::connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    countStuck(thread_);
    QMetaObject::invokeMethod(
        engine_,
        [engine = engine_] {
            delete engine;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_ = nullptr;
    engine_ = nullptr;
}

int QtSoundPlayer::threadsLeftBehind() {
    return threadsStuck.load();
}

QUrl QtSoundPlayer::sourceOf(const QString& name) {
    const QString key = name.toLower();
    const bool plain = !key.isEmpty() && std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
    });
    const QString path = QStringLiteral(":/sounds/%1.wav").arg(key);
    if (!plain || !QFileInfo::exists(path))
        return {};
    return QUrl(QStringLiteral("qrc") + path);
}

void QtSoundPlayer::post(std::function<void(Engine*)> work) {
    if (done_->load() == posted_)
        postedAtMs_ = monotonicMs();
    ++posted_;
    QMetaObject::invokeMethod(
        engine_,
        [engine = engine_, done = done_, work = std::move(work)] {
            work(engine);
            done->fetch_add(1);
        },
        Qt::QueuedConnection);
}

bool QtSoundPlayer::engineStuck() const {
    return engine_ && done_->load() < posted_ && monotonicMs() - postedAtMs_ > kEngineAnswerMs;
}

void QtSoundPlayer::prepare() {
    // Called again and again shortly before a sound is due: a sound thread that no longer
    // answers is found out now, so that the sound that is due goes to a new one.
    if (engineStuck())
        abandonEngine();
    else if (engine_ && done_->load() == posted_)
        post([](Engine*) {});
}

void QtSoundPlayer::play(const QString& name) {
    const QUrl source = sourceOf(name);
    if (source.isEmpty()) {
        qCWarning(lcSound) << "no built-in sound named" << name;
        return;
    }
    if (engineStuck())
        abandonEngine();
    if (!engine_)
        startEngine();
    const QString key = name.toLower();
    post([key, source](Engine* engine) { engine->play(key, source); });
}

}  // namespace klangor
