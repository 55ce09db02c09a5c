// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/start_request.h"
#include "lang/qt_translations.h"
#include "platform/platform.h"
#include "platform/qt/qt_basics.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/session.h"

#include <QApplication>

#include <cstdio>
#include <optional>

namespace {

constexpr int kBadCommandLine = 2;

// Reads the command line before any window exists, so that --help, --version and a mistake need
// no display. Returns the exit code when the program ends here.
std::optional<int> readCommandLine(int& argc, char* argv[], klangor::StartRequest& request) {
    QCoreApplication reader(argc, argv);
    klangor::QtSettingsStore settings;
    const klangor::QtLocaleInfo locale;
    const klangor::lang::Language language = klangor::startLanguage(settings, locale);
    klangor::lang::QtTranslations::apply(language);  // Qt's parts of the help and the messages
    const klangor::CommandLine line = klangor::parseCommandLine(reader.arguments(), language);
    switch (line.kind) {
        case klangor::CommandLine::Kind::Help:
        case klangor::CommandLine::Kind::Version:
            klangor::tellCommandLineUser(line.text.trimmed(), false);
            return 0;
        case klangor::CommandLine::Kind::Error:
            klangor::tellCommandLineUser(QStringLiteral("klangor: ") + line.text, true);
            return kBadCommandLine;
        case klangor::CommandLine::Kind::Start:
            request = line.request;
            request.readAt = klangor::SystemClock().now();
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    klangor::StartRequest request;
    if (argc > 1)
        if (const std::optional<int> exitCode = readCommandLine(argc, argv, request))
            return *exitCode;
    if (const QString error = klangor::prepareDisplay(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    klangor::setUpApplication();

    int exitCode = 0;
    {
        TForm1 form(klangor::makeSystemPlatform());
        klangor::closeOnQuitRequests(&form);
        form.show();
        klangor::applyStartRequest(form, request);
        exitCode = app.exec();
    }
    // The settings were saved as the window closed.
    klangor::endAtOnceIfSoundIsStuck(exitCode);
    return exitCode;
}
