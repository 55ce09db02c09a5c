// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the login manager (system bus), the screen saver and the notification service
// (session bus) in the D-Bus tests. Prints one line per method call it receives:
//   <method> <object path> <arguments...>
// and "ready" once its names are registered. Options choose which services exist and how they
// answer:
//   --login              org.freedesktop.login1 on the system bus
//   --no-own-session     GetSessionByPID answers "no session for this process"
//   --refuse             every login1 method except GetSessionByPID answers "access denied"
//   --hang               login1 methods never answer
//   --screensaver=PATH   org.freedesktop.ScreenSaver at PATH on the session bus
//   --notifications      org.freedesktop.Notifications on the session bus, with buttons
//                        ("actions" among its capabilities); each Notify is followed by a line
//                        "notified <id>" with the number it answered (7, 8, ...)
//   --no-actions         the notification service shows no buttons
//   --pressed-at-once    the user presses a notification's first button before the answer to
//                        Notify leaves: ActionInvoked is emitted first, then the answer
//   --late-answers       a notification is shown at once, but the answer to Notify is held
//                        back until a test calls ReleaseAnswers (a slow or busy service)
// The notification service also takes InvokeAction(id, key) from a test: it then emits
// ActionInvoked(id, key), as a real service does when the user presses a button.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QStringList>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

QString argText(const QVariant& v) {
    if (v.canConvert<QStringList>() && v.metaType().id() == QMetaType::QStringList)
        return QStringLiteral("[") + v.toStringList().join(QLatin1Char(',')) + QStringLiteral("]");
    if (v.metaType() == QMetaType::fromType<QDBusArgument>()) {
        // A notification's hints: {name=value,...}, sorted by name.
        const auto arg = v.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::MapType) {
            QVariantMap map;
            arg >> map;
            QStringList entries;
            for (auto it = map.cbegin(); it != map.cend(); ++it)
                entries << it.key() + QLatin1Char('=') +
                               (it.value().metaType().id() == QMetaType::UChar
                                    ? QString::number(it.value().toUInt())  // a byte: urgency
                                    : it.value().toString());
            return QStringLiteral("{") + entries.join(QLatin1Char(',')) + QStringLiteral("}");
        }
    }
    return v.toString();
}

void record(const QDBusMessage& msg) {
    QStringList parts{msg.member(), msg.path()};
    for (const QVariant& a : msg.arguments())
        parts << argText(a);
    std::printf("%s\n", parts.join(QLatin1Char(' ')).toUtf8().constData());
    std::fflush(stdout);
}

// What a notification service says when the user presses a button.
QDBusMessage actionInvoked(const QDBusMessage& call, const QVariant& id, const QVariant& key) {
    auto signal =
        QDBusMessage::createSignal(call.path(), call.interface(), QStringLiteral("ActionInvoked"));
    signal << id << key;
    return signal;
}

class Service final : public QDBusVirtualObject {
public:
    enum class Answer { Yes, NoSession, Refuse, Hang };
    explicit Service(Answer answer, bool buttons = true, bool pressedAtOnce = false,
                     bool lateAnswers = false)
        : answer_(answer),
          buttons_(buttons),
          pressedAtOnce_(pressedAtOnce),
          lateAnswers_(lateAnswers) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& msg, const QDBusConnection& bus) override {
        if (msg.interface().startsWith(QLatin1String("org.freedesktop.DBus")))
            return false;
        record(msg);
        if (answer_ == Answer::Hang)
            return true;  // the caller waits until its own time-out
        if (msg.member() == QLatin1String("GetSessionByPID")) {
            if (answer_ == Answer::NoSession)
                bus.send(msg.createErrorReply(
                    QStringLiteral("org.freedesktop.login1.NoSessionForPID"),
                    QStringLiteral("PID does not belong to any known session")));
            else
                bus.send(msg.createReply(QVariant::fromValue(
                    QDBusObjectPath(QStringLiteral("/org/freedesktop/login1/session/_31")))));
            return true;
        }
        if (answer_ == Answer::Refuse) {
            bus.send(msg.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                          QStringLiteral("Permission denied")));
            return true;
        }
        if (msg.member() == QLatin1String("Notify")) {
            const uint id = nextNotification_++;
            const QStringList actions = msg.arguments().value(5).toStringList();
            if (pressedAtOnce_ && !actions.isEmpty())
                bus.send(actionInvoked(msg, QVariant::fromValue(id), actions.first()));
            if (lateAnswers_)
                held_.push_back({msg, id});
            else
                answerNotify(bus, msg, id);
        } else if (msg.member() == QLatin1String("ReleaseAnswers")) {
            bus.send(msg.createReply());
            for (const auto& [call, id] : std::exchange(held_, {}))
                answerNotify(bus, call, id);
        } else if (msg.member() == QLatin1String("GetCapabilities")) {
            QStringList caps{QStringLiteral("body")};
            if (buttons_)
                caps << QStringLiteral("actions");
            bus.send(msg.createReply(QVariant::fromValue(caps)));
        } else if (msg.member() == QLatin1String("InvokeAction") && msg.arguments().size() == 2) {
            bus.send(msg.createReply());
            bus.send(actionInvoked(msg, msg.arguments().at(0), msg.arguments().at(1)));
        } else {
            bus.send(msg.createReply());
        }
        return true;
    }

private:
    static void answerNotify(const QDBusConnection& bus, const QDBusMessage& call, uint id) {
        bus.send(call.createReply(QVariant::fromValue(id)));
        std::printf("notified %u\n", id);
        std::fflush(stdout);
    }

    Answer answer_;
    bool buttons_;
    bool pressedAtOnce_;
    bool lateAnswers_;
    std::vector<std::pair<QDBusMessage, uint>> held_;  // answers to Notify not sent yet
    uint nextNotification_ = 7;
};

bool serve(QDBusConnection bus, const QString& name, const QString& path, Service* service) {
    return bus.registerVirtualObject(path, service, QDBusConnection::SubPath) &&
           bus.registerService(name);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    auto has = [&](const char* opt) { return args.contains(QLatin1String(opt)); };
    bool ok = true;

    if (has("--login")) {
        auto answer = has("--hang")             ? Service::Answer::Hang
                      : has("--refuse")         ? Service::Answer::Refuse
                      : has("--no-own-session") ? Service::Answer::NoSession
                                                : Service::Answer::Yes;
        auto* login = new Service(answer);
        ok &= serve(QDBusConnection::systemBus(), QStringLiteral("org.freedesktop.login1"),
                    QStringLiteral("/org/freedesktop/login1"), login);
    }
    for (const QString& a : args) {
        if (!a.startsWith(QLatin1String("--screensaver=")))
            continue;
        auto* saver = new Service(Service::Answer::Yes);
        ok &= serve(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.ScreenSaver"),
                    a.section(QLatin1Char('='), 1), saver);
    }
    if (has("--notifications")) {
        auto* notes = new Service(Service::Answer::Yes, !has("--no-actions"),
                                  has("--pressed-at-once"), has("--late-answers"));
        ok &= serve(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.Notifications"),
                    QStringLiteral("/org/freedesktop/Notifications"), notes);
    }
    if (!ok) {
        std::fprintf(stderr, "stand-in: could not register on the test buses\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
