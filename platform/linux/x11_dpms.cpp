// SPDX-License-Identifier: GPL-3.0-or-later
// DPMS through Xlib. X headers come last: they define macros (None, Bool, Status)
// that clash with Qt's.
#include "platform/linux/linux_monitor.h"

#include <QGuiApplication>

#ifdef KLANGOR_HAVE_XEXT
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#endif

namespace klangor {

#ifdef KLANGOR_HAVE_XEXT

namespace {

int trappedErrors = 0;

int countError(Display*, XErrorEvent*) {
    ++trappedErrors;
    return 0;
}

// Runs Xlib requests and reports whether the server answered any of them with an error, instead
// of letting Xlib's default handler end the program.
template <typename F>
bool withoutXErrors(Display* display, F&& requests) {
    XSync(display, False);
    trappedErrors = 0;
    auto* previous = XSetErrorHandler(countError);
    requests();
    XSync(display, False);
    XSetErrorHandler(previous);
    return trappedErrors == 0;
}

class XlibDpmsServer final : public DpmsServer {
public:
    XlibDpmsServer(Display* display, bool owned) : display_(display), owned_(owned) {}
    ~XlibDpmsServer() override {
        if (owned_)
            XCloseDisplay(display_);
    }

    bool hasExtension() override {
        int event = 0;
        int error = 0;
        return DPMSQueryExtension(display_, &event, &error);
    }
    bool capable() override { return DPMSCapable(display_); }
    bool enabled() override {
        CARD16 level = 0;
        BOOL on = False;
        return DPMSInfo(display_, &level, &on) && on;
    }
    bool enable() override {
        return withoutXErrors(display_, [this] {
            DPMSSetTimeouts(display_, 0, 0, 0);
            DPMSEnable(display_);
        });
    }
    bool forceOff() override {
        return withoutXErrors(display_, [this] { DPMSForceLevel(display_, DPMSModeOff); });
    }

private:
    Display* display_;
    bool owned_;
};

}  // namespace

std::unique_ptr<DpmsServer> connectDpmsServer() {
    if (qGuiApp) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (Display* display = x11->display())
                return std::make_unique<XlibDpmsServer>(display, false);
        }
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    if (Display* display = XOpenDisplay(nullptr))
        return std::make_unique<XlibDpmsServer>(display, true);
    return nullptr;
}

#else

std::unique_ptr<DpmsServer> connectDpmsServer() {
    return nullptr;
}

#endif

}  // namespace klangor
