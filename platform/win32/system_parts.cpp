// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/system_parts.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace klangor {

void Win32SoundPlayer::play(const QString& name) {
    sound_.play(name.toStdString());
}

QString Win32LocaleInfo::languageName() const {
    return QString::fromStdWString(userLocaleLanguage(calls_));
}

void Win32WindowOps::restoreAndRaise(QWidget* window) {
    // Qt shows a window that has this attribute without activating it.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    if (!window->isVisible())
        window->show();
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    window_.bringForward(handle);
    acceptActivationLater(window, handle);
}

void Win32WindowOps::showWithoutFocus(QWidget* window) {
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    const HWND handle = reinterpret_cast<HWND>(window->winId());  // made now if not yet there
    window_.refuseActivation(handle);
    window->show();
    acceptActivationLater(window, handle);
}

namespace {

// Ends the refusal of a window brought forward: when the user presses a mouse button on it
// (the press activates it, as a click on any window does), or after `ms`, when the window
// manager has shown it (openbox activates the windows it restores and maps, which wine then
// refuses) and a click or the taskbar may activate it as usual. Ends itself.
class AcceptActivationLater final : public QObject {
public:
    static constexpr const char* kName = "klangorAcceptActivationLater";

    AcceptActivationLater(QWidget* window, HWND handle, Win32Window win, int ms)
        : QObject(window), window_(window), handle_(handle), win_(win) {
        setObjectName(QLatin1String(kName));
        if (QWindow* w = window->windowHandle())
            w->installEventFilter(this);
        QTimer::singleShot(ms, this, [this] { done(false); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::NonClientAreaMouseButtonPress)
            QMetaObject::invokeMethod(
                this, [this] { done(true); }, Qt::QueuedConnection);
        return false;
    }

private:
    void done(bool activate) {
        if (finished_)
            return;
        finished_ = true;
        if (reinterpret_cast<HWND>(window_->winId()) == handle_) {
            win_.acceptActivation(handle_);
            if (activate)
                window_->activateWindow();
        }
        deleteLater();
    }

    QWidget* window_;
    HWND handle_;
    Win32Window win_;
    bool finished_ = false;
};

}  // namespace

void Win32WindowOps::acceptActivationLater(QWidget* window, HWND handle) {
    // One at a time: a refusal still running covers the new one too.
    if (!window->findChild<QObject*>(QLatin1String(AcceptActivationLater::kName),
                                     Qt::FindDirectChildrenOnly))
        new AcceptActivationLater(window, handle, window_, kRefuseActivationMs);
}

namespace {

// The program's icon in the size of the notification area, from the program file; none in a
// program file without it (the tests).
HICON smallProgramIcon() {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

}  // namespace

Win32Notifier::Win32Notifier(Win32Hooks hooks, std::function<void()> onClick)
    : icon_(smallProgramIcon()),
      tray_(std::move(hooks), systemWin32Calls(), icon_),
      onClick_(std::move(onClick)) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installNativeEventFilter(this);
        // The icon goes while its window is still there: the notification area keeps the icon
        // of a window that went first.
        quitting_ =
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { tray_.remove(); });
    }
}

Win32Notifier::~Win32Notifier() {
    QObject::disconnect(quitting_);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
    tray_.remove();
    if (icon_)
        ::DestroyIcon(icon_);
}

void Win32Notifier::notify(const QString& title, const QString& body) {
    notifyWithAction(title, body, QString(), {}, NoticeTerms{});
}

// A balloon stays until the next one or a withdraw; Windows decides how long it shows.
int Win32Notifier::notifyWithAction(const QString& title, const QString& body, const QString&,
                                    std::function<void()>, const NoticeTerms&) {
    qCInfo(lcNotify).noquote() << "balloon:" << title << "|" << QString(body).replace('\n', " / ");
    if (!tray_.showBalloon(title.toStdWString(), body.toStdWString()))
        return 0;
    shownId_ = ++lastId_;
    return shownId_;
}

void Win32Notifier::withdraw(int id) {
    // Only the balloon still shown can be taken away; an older one was replaced by it.
    if (id == 0 || id != shownId_)
        return;
    qCInfo(lcNotify) << "balloon withdrawn";
    tray_.hideBalloon();
    shownId_ = 0;
}

bool Win32Notifier::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (!Win32Tray::isClick(msg->message, msg->lParam))
        return false;
    qCInfo(lcNotify) << "balloon clicked";
    if (onClick_)
        QMetaObject::invokeMethod(
            qApp, [f = onClick_] { f(); }, Qt::QueuedConnection);
    return true;
}

}  // namespace klangor
