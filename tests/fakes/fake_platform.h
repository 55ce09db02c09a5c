// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Fake platform operations for the tests: a clock that moves only when told, and recorders for
// everything that would leave the process.

#include "platform/platform.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace klangor::fakes {

class FakeClock final : public Clock {
public:
    QDateTime now() const override { return now_; }
    void set(const QDateTime& t) { now_ = t; }
    void advanceMs(qint64 ms) { now_ = now_.addMSecs(ms); }

private:
    QDateTime now_{QDate(2026, 3, 2), QTime(12, 0, 0)};
};

/// Records the waits; the fake clock moves on by the time slept, as it would for real.
class FakeSleeper final : public Sleeper {
public:
    explicit FakeSleeper(FakeClock* clock) : clock_(clock) {}
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        if (clock_)
            clock_->advanceMs(ms);
    }
    std::vector<int> sleeps;

private:
    FakeClock* clock_;
};

class FakeWindowOps final : public WindowOps {
public:
    void minimize(QWidget* w) override {
        ++minimizes;
        w->setWindowState(w->windowState() | Qt::WindowMinimized);
    }
    bool isMinimized(const QWidget* w) const override { return w->isMinimized(); }
    void restoreAndRaise(QWidget* w) override {
        ++restores;
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    }
    void showWithoutFocus(QWidget* w) override {
        ++quietShows;
        w->show();
    }
    void placeCentred(QWidget*) override { ++placements; }
    int quietShows = 0;
    int minimizes = 0;
    int placements = 0;
    int restores = 0;
};

class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& name) override { played << name; }
    void prepare() override { ++prepares; }
    QStringList played;
    int prepares = 0;
};

class FakeShell final : public Shell {
public:
    bool open(const std::string& target) override {
        opened.push_back(target);
        return result;
    }
    void setLateFailureHandler(LateFailure handler) override { lateFailure = std::move(handler); }
    /// The desktop's opener ends in failure after the request was made.
    void failLater(const std::string& target, const std::string& why) {
        if (lateFailure)
            lateFailure(target, why);
    }
    std::vector<std::string> opened;
    bool result = true;
    LateFailure lateFailure;
};

class FakePower final : public Power {
public:
    void request(PowerAction action, std::function<void(bool)> done = {}) override {
        requests.push_back(action);
        if (done)
            done(result);
    }
    void requestExplained(PowerAction action, Outcome done) override {
        requests.push_back(action);
        if (done)
            done(result, result ? std::string() : why);
    }
    std::vector<PowerAction> requests;
    bool result = true;
    std::string why = "Access denied";  // the reason of a failure (`result` false)
};

class FakeMonitor final : public Monitor {
public:
    void switchOff(std::function<void(bool)> done = {}) override {
        ++switchOffs;
        if (done)
            done(true);
    }
    int switchOffs = 0;
};

class FakeLocale final : public LocaleInfo {
public:
    QString languageName() const override { return name; }
    QString name = QStringLiteral("English");
};

class FakeSettingsStore final : public SettingsStore {
public:
    bool exists() override { return present; }
    std::optional<QVariant> read(const QString& name) override {
        reads << name;
        if (!present || !values.contains(name))
            return std::nullopt;
        return values.value(name);
    }
    bool save(const std::vector<std::pair<QString, QVariant>>& v) override {
        ++saves;
        lastSaveOrder.clear();
        values.clear();
        for (const auto& [k, val] : v) {
            lastSaveOrder << k;
            values.insert(k, val);
        }
        present = true;
        return true;
    }
    void setAside(const QString& why) override {
        setAsides << why;
        present = false;
        values.clear();
    }
    bool present = false;
    QStringList setAsides;
    QMap<QString, QVariant> values;
    QStringList reads;
    QStringList lastSaveOrder;
    int saves = 0;
};

class FakeFileChooser final : public FileChooser {
public:
    std::optional<QString> chooseFile(QWidget*, const QString& folder) override {
        ++asked;
        folders << folder;
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
    std::deque<std::optional<QString>> answers;
    int asked = 0;
    QStringList folders;  // the folder each dialog opened in
};

class FakeNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override {
        notes.push_back({title, body});
        if (onPost)
            onPost();
    }
    /// A notification with a button: kept in `withAction` until withdrawn.
    struct Shown {
        int id;
        QString title;
        QString body;
        QString actionLabel;
        std::function<void()> onAction;
        NoticeTerms terms;
    };
    int notifyWithAction(const QString& title, const QString& body, const QString& actionLabel,
                         std::function<void()> onAction, const NoticeTerms& terms) override {
        withAction.push_back({++lastId, title, body, actionLabel, std::move(onAction), terms});
        if (onPost)
            onPost();
        return lastId;
    }
    void withdraw(int id) override {
        withdrawn.push_back(id);
        std::erase_if(withAction, [id](const Shown& s) { return s.id == id; });
    }
    /// The user presses the button of the notification shown last.
    void pressAction() {
        if (!withAction.empty() && withAction.back().onAction)
            withAction.back().onAction();
    }
    std::vector<std::pair<QString, QString>> notes;
    std::vector<Shown> withAction;  // shown and not withdrawn
    std::function<void()> onPost;   // called as each notification goes out
    std::vector<int> withdrawn;
    int lastId = 0;
};

/// One set of fakes and the platform bundle made of them.
struct Fakes {
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeSleeper> sleeper = std::make_shared<FakeSleeper>(clock.get());
    std::shared_ptr<FakeWindowOps> window = std::make_shared<FakeWindowOps>();
    std::shared_ptr<FakeSoundPlayer> sound = std::make_shared<FakeSoundPlayer>();
    std::shared_ptr<FakeShell> shell = std::make_shared<FakeShell>();
    std::shared_ptr<FakePower> power = std::make_shared<FakePower>();
    std::shared_ptr<FakeMonitor> monitor = std::make_shared<FakeMonitor>();
    std::shared_ptr<FakeLocale> locale = std::make_shared<FakeLocale>();
    std::shared_ptr<FakeSettingsStore> settings = std::make_shared<FakeSettingsStore>();
    std::shared_ptr<FakeFileChooser> files = std::make_shared<FakeFileChooser>();
    std::shared_ptr<FakeNotifier> notifier = std::make_shared<FakeNotifier>();

    Platform platform() const {
        return Platform{clock,   sleeper, window,   sound, shell,   power,
                        monitor, locale,  settings, files, notifier};
    }
};

}  // namespace klangor::fakes
