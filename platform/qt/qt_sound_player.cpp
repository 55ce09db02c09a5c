// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_sound_player.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace klangor {

namespace {

// A built-in recording as the sound server takes it: its format and its samples.
struct Clip {
    pa_sample_spec sampleFormat{};
    QByteArray samples;
};

quint32 le32(const QByteArray& b, qsizetype at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

// Reads a 16-bit PCM WAV file (the recordings are made so at build time).
std::optional<Clip> readWav(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray wav = f.readAll();
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return std::nullopt;
    Clip clip;
    bool format = false;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const qsizetype size = le32(wav, at + 4);
        const qsizetype body = at + 8;
        if (size > wav.size() - body)
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            if (le16(wav, body) != 1 || le16(wav, body + 14) != 16)
                return std::nullopt;  // 16-bit PCM only
            clip.sampleFormat.format = PA_SAMPLE_S16LE;
            clip.sampleFormat.channels = static_cast<uint8_t>(le16(wav, body + 2));
            clip.sampleFormat.rate = le32(wav, body + 4);
            format = pa_sample_spec_valid(&clip.sampleFormat) != 0;
        } else if (id == "data") {
            clip.samples = wav.mid(body, size);
        }
        at = body + size + (size & 1);
    }
    if (!format || clip.samples.isEmpty())
        return std::nullopt;
    return clip;
}

// What a playing stream still has to hand the server.
struct Feed {
    QByteArray samples;
    qsizetype sent = 0;
};

void feedStream(pa_stream* stream, size_t wanted, void* data) {
    auto* feed = static_cast<Feed*>(data);
    const size_t left = static_cast<size_t>(feed->samples.size() - feed->sent);
    if (left == 0)
        return;
    const size_t n = std::min(wanted, left);
    pa_stream_write(stream, feed->samples.constData() + feed->sent, n, nullptr, 0,
                    PA_SEEK_RELATIVE);
    feed->sent += static_cast<qsizetype>(n);
    if (feed->sent == feed->samples.size()) {
        // Play out what is buffered, also a sound shorter than the buffer.
        if (pa_operation* drain = pa_stream_drain(stream, nullptr, nullptr))
            pa_operation_unref(drain);
    }
}

}  // namespace

// Talks to the sound server (PulseAudio's protocol, also spoken by PipeWire) over a
// connection of its own, and notices when that connection dies: a restarted server gets a new
// one before the next sound. Every call runs on the sound thread.
class QtSoundPlayer::Engine final : public QObject {
public:
    ~Engine() override {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        stopCurrent();
        dropContext();
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    // Makes sure of the connection before a sound is due.
    void prepare() { connected(); }

    void play(const QString& key, const QString& path) {
        if (!clips_.contains(key)) {
            std::optional<Clip> clip = readWav(path);
            if (!clip) {
                qCWarning(lcSound) << "could not read" << path;
                return;
            }
            clips_.insert(key, *clip);
        }
        if (!connected())
            return;
        const Clip& clip = clips_[key];
        pa_threaded_mainloop_lock(loop_);
        stopCurrent();  // one sound at a time: the new one cuts off the one playing
        pa_stream* stream = pa_stream_new(context_, "Klangor", &clip.sampleFormat, nullptr);
        if (!stream) {
            qCWarning(lcSound) << "could not play" << key << ":"
                               << pa_strerror(pa_context_errno(context_));
            pa_threaded_mainloop_unlock(loop_);
            return;
        }
        feed_ = std::make_unique<Feed>(Feed{clip.samples, 0});
        pa_stream_set_write_callback(stream, feedStream, feed_.get());
        // A short buffer: the sound starts at once.
        pa_buffer_attr buffer;
        buffer.maxlength = static_cast<uint32_t>(-1);
        buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(100'000, &clip.sampleFormat));
        buffer.prebuf = static_cast<uint32_t>(-1);
        buffer.minreq = static_cast<uint32_t>(-1);
        buffer.fragsize = static_cast<uint32_t>(-1);
        if (pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0) {
            qCWarning(lcSound) << "could not play" << key << ":"
                               << pa_strerror(pa_context_errno(context_));
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_unref(stream);
            feed_.reset();
        } else {
            current_ = stream;
        }
        pa_threaded_mainloop_unlock(loop_);
    }

private:
    // Whether there is a live connection to the sound server, making one if there is none or
    // the one there was has died (the server ended or was restarted).
    bool connected() {
        if (!loop_) {
            loop_ = pa_threaded_mainloop_new();
            if (!loop_ || pa_threaded_mainloop_start(loop_) < 0) {
                qCWarning(lcSound) << "could not start the sound server's client";
                if (loop_)
                    pa_threaded_mainloop_free(loop_);
                loop_ = nullptr;
                return false;
            }
        }
        pa_threaded_mainloop_lock(loop_);
        if (context_ && pa_context_get_state(context_) == PA_CONTEXT_READY) {
            pa_threaded_mainloop_unlock(loop_);
            return true;
        }
        if (context_) {
            qCWarning(lcSound).noquote()
                << "the connection to the sound server was lost ("
                << pa_strerror(pa_context_errno(context_)) << "); connecting again";
            stopCurrent();
            dropContext();
        }
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Klangor");
        bool ok = context_ != nullptr;
        if (ok) {
            pa_context_set_state_callback(
                context_,
                [](pa_context*, void* loop) {
                    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
                },
                loop_);
            ok = pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
        }
        // A stalled server holds this thread here; the player then gives the thread up.
        while (ok && pa_context_get_state(context_) != PA_CONTEXT_READY) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
                ok = false;
            else
                pa_threaded_mainloop_wait(loop_);
        }
        if (!ok) {
            qCWarning(lcSound).noquote()
                << "no sound server:"
                << (context_ ? pa_strerror(pa_context_errno(context_)) : "out of memory");
            dropContext();
        }
        pa_threaded_mainloop_unlock(loop_);
        return ok;
    }

    // With the main loop locked.
    void stopCurrent() {
        if (current_) {
            pa_stream_set_write_callback(current_, nullptr, nullptr);
            pa_stream_disconnect(current_);
            pa_stream_unref(current_);
            current_ = nullptr;
        }
        feed_.reset();
    }

    // With the main loop locked.
    void dropContext() {
        if (!context_)
            return;
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* current_ = nullptr;
    std::unique_ptr<Feed> feed_;
    QHash<QString, Clip> clips_;
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

QString QtSoundPlayer::sourceOf(const QString& name) {
    const QString key = name.toLower();
    const bool plain = !key.isEmpty() && std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
    });
    const QString path = QStringLiteral(":/sounds/%1.wav").arg(key);
    if (!plain || !QFileInfo::exists(path))
        return {};
    return path;
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
        post([](Engine* engine) { engine->prepare(); });
}

void QtSoundPlayer::play(const QString& name) {
    const QString source = sourceOf(name);
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
