// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "app/build_config.h"

#include "alarm/after_alarm.h"
#include "platform/locale_info.h"
#include "settings/settings_binding.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>

namespace klangor {

namespace {

using lang::Language;

// The longest delay the delay panel can hold: 999 hours (and 59 minutes).
constexpr qint64 kMaxHours = 999;

// The texts of the command line, in both languages.
struct Text {
    const char* english;
    const char* turkish;
    QString in(Language language) const {
        return QString::fromUtf8(language == Language::Turkish ? turkish : english);
    }
};

constexpr Text kDescription{
    "Klangor: an alarm clock and a work-and-rest timer. Without options the window opens as\n"
    "always; the options start it with work already set, as if chosen in the window.",
    "Klangor: çalar saat ve çalışma-dinlenme hatırlatıcısı. Seçeneksiz pencere her zamanki\n"
    "gibi açılır; seçenekler onu, pencerede seçilmiş gibi, işi kurulu olarak başlatır."};
constexpr Text kHelp{"Shows this help and ends.", "Bu yardımı gösterir ve çıkar."};
constexpr Text kVersion{"Shows the version and ends.", "Sürümü gösterir ve çıkar."};
constexpr Text kAt{
    "Starts the alarm for this time of day (24-hour clock); a time already passed today means "
    "tomorrow.",
    "Alarmı günün bu saatine (24 saat) kurar; bugün geçmiş bir saat yarın demektir."};
constexpr Text kIn{
    "Starts the alarm after this delay, as the delay panel does: 25m, 1h30m, 2d, or a number of "
    "minutes (90).",
    "Alarmı bu süre sonrasına kurar, gecikme paneli gibi: 25m, 1h30m, 2d ya da dakika sayısı "
    "(90)."};
constexpr Text kInValue{"DURATION", "SÜRE"};
constexpr Text kNote{"The note shown when the alarm rings.",
                     "Alarm çaldığında görülecek açıklama."};
constexpr Text kNoteValue{"TEXT", "METİN"};
constexpr Text kAction{
    "What happens 15 seconds after the alarm: none, lock, sleep, hibernate, restart, shutdown, or "
    "the absolute path of a file to run or open, as \"Execute Command\" does.",
    "Alarmdan 15 saniye sonra yapılacak iş: none, lock, sleep, hibernate, restart, shutdown ya da "
    "çalıştırılacak veya açılacak dosyanın tam yolu, \"Komut Çalıştır\" gibi."};
constexpr Text kActionValue{"ACTION", "AKSİYON"};
constexpr Text kRepeater{"Starts the repeater with the saved periods and sounds.",
                         "Tekrarlayıcıyı kayıtlı süreler ve seslerle başlatır."};

constexpr Text kBadTime{"--at: '%1' is not a time of day (HH:MM or HH:MM:SS, 24-hour clock)",
                        "--at: '%1' bir saat değil (SS:DD ya da SS:DD:ss, 24 saat)"};
constexpr Text kBadDelay{"--in: '%1' is not a delay (for example 25m, 1h30m, 2d, or 90 minutes)",
                         "--in: '%1' bir süre değil (örneğin 25m, 1h30m, 2d ya da 90 dakika)"};
constexpr Text kTooLong{"--in: '%1' is longer than 999 hours", "--in: '%1' 999 saatten uzun"};
constexpr Text kBadAction{
    "--action: '%1' is none of none, lock, sleep, hibernate, restart, shutdown, nor an absolute "
    "file path",
    "--action: '%1' ne none, lock, sleep, hibernate, restart, shutdown ne de tam bir dosya yolu"};
constexpr Text kNoFile{"--action: there is no file '%1'", "--action: '%1' diye bir dosya yok"};
constexpr Text kFolder{"--action: '%1' is a folder, not a file",
                       "--action: '%1' bir klasör, dosya değil"};
constexpr Text kNotRegular{"--action: '%1' is not an ordinary file (a pipe or a device)",
                           "--action: '%1' sıradan bir dosya değil (boru ya da aygıt)"};
constexpr Text kAtAndIn{"--at and --in cannot be used together",
                        "--at ve --in birlikte kullanılamaz"};
constexpr Text kUnexpected{"unexpected argument '%1'", "beklenmeyen argüman '%1'"};
constexpr Text kSeeHelp{" (klangor --help lists the options)", " (seçenekler: klangor --help)"};

// The action words and the entries of the action list they choose.
struct ActionWord {
    const char* word;
    AfterAlarm::Entry entry;
};
constexpr std::array<ActionWord, 6> kActionWords{{
    {"none", AfterAlarm::NoAction},
    {"lock", AfterAlarm::Lock},
    {"sleep", AfterAlarm::Sleep},
    {"hibernate", AfterAlarm::Hibernate},
    {"restart", AfterAlarm::Restart},
    {"shutdown", AfterAlarm::ShutDown},
}};

// Qt's own options, which the application object takes from the same command line: accepted
// here and left alone.
constexpr const char* kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display",       "qmljsdebugger"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount"};

std::optional<QTime> parseClockTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral(R"(^(\d{1,2}):(\d\d)(?::(\d\d))?$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(),
                  m.hasCaptured(3) ? m.captured(3).toInt() : 0);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

// The message as it may go to a terminal: control characters (an escape sequence in a value
// would be obeyed) and the marks that turn the direction of text are written as \xHH or \uHHHH.
QString printable(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
                          u == 0x200E || u == 0x200F || u == 0x061C;
        if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else if (bidi)
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

CommandLine error(const QString& line, Language language) {
    CommandLine result;
    result.kind = CommandLine::Kind::Error;
    result.text = printable(line) + kSeeHelp.in(language);
    return result;
}

}  // namespace

std::optional<qint64> parseDelayMinutes(const QString& text) {
    static const QRegularExpression minutesOnly(QStringLiteral(R"(^\d{1,9}$)"));
    static const QRegularExpression units(
        QStringLiteral(R"(^(?:(\d{1,6})d)?(?:(\d{1,7})h)?(?:(\d{1,9})m)?$)"),
        QRegularExpression::CaseInsensitiveOption);
    if (minutesOnly.match(text).hasMatch())
        return text.toLongLong();
    const QRegularExpressionMatch m = units.match(text);
    if (text.isEmpty() || !m.hasMatch())
        return std::nullopt;
    return m.captured(1).toLongLong() * 24 * 60 + m.captured(2).toLongLong() * 60 +
           m.captured(3).toLongLong();
}

CommandLine parseCommandLine(const QStringList& arguments, Language language) {
    QCommandLineParser parser;
    // Qt's own options come with one dash ("-platform xcb"); so may ours ("-at 7:30").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(kDescription.in(language));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  kHelp.in(language));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     kVersion.in(language));
    const QCommandLineOption at(QStringLiteral("at"), kAt.in(language),
                                QStringLiteral("HH:MM[:SS]"));
    const QCommandLineOption in(QStringLiteral("in"), kIn.in(language), kInValue.in(language));
    const QCommandLineOption note(QStringLiteral("note"), kNote.in(language),
                                  kNoteValue.in(language));
    const QCommandLineOption action(QStringLiteral("action"), kAction.in(language),
                                    kActionValue.in(language));
    const QCommandLineOption repeater(QStringLiteral("repeater"), kRepeater.in(language));
    parser.addOptions({help, version, at, in, note, action, repeater});
    for (const char* name : kQtValueOptions) {
        QCommandLineOption qt(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption qt(QString::fromLatin1(name));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }

    if (!parser.parse(arguments))
        return error(parser.errorText(), language);

    CommandLine result;
    if (parser.isSet(help)) {
        result.kind = CommandLine::Kind::Help;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.kind = CommandLine::Kind::Version;
        result.text = QStringLiteral("Klangor %1").arg(QString::fromLatin1(build::kVersion));
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return error(kUnexpected.in(language).arg(parser.positionalArguments().constFirst()),
                     language);
    if (parser.isSet(at) && parser.isSet(in))
        return error(kAtAndIn.in(language), language);

    StartRequest& r = result.request;
    if (parser.isSet(at)) {
        const QString value = parser.value(at);
        r.at = parseClockTime(value);
        if (!r.at)
            return error(kBadTime.in(language).arg(value), language);
    }
    if (parser.isSet(in)) {
        const QString value = parser.value(in);
        const std::optional<qint64> minutes = parseDelayMinutes(value);
        if (!minutes)
            return error(kBadDelay.in(language).arg(value), language);
        if (*minutes > kMaxHours * 60 + 59)
            return error(kTooLong.in(language).arg(value), language);
        r.inMinutes = int(*minutes);
    }
    if (parser.isSet(note))
        r.note = parser.value(note);
    if (parser.isSet(action)) {
        const QString value = parser.value(action);
        for (const ActionWord& w : kActionWords)
            if (value.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0)
                r.action = w.entry;
        if (!r.action) {
            // A file, as the file dialog of "Execute Command" would give it: a whole path to a
            // file that is there.
            if (!QDir::isAbsolutePath(value))
                return error(kBadAction.in(language).arg(value), language);
            const QFileInfo file(value);
            if (!file.exists())
                return error(kNoFile.in(language).arg(value), language);
            if (file.isDir())
                return error(kFolder.in(language).arg(value), language);
            if (!file.isFile())
                return error(kNotRegular.in(language).arg(value), language);
            r.action = AfterAlarm::ExecuteCommand;
            r.actionFile = QDir::cleanPath(value);
        }
    }
    r.repeater = parser.isSet(repeater);
    return result;
}

lang::Language startLanguage(SettingsStore& settings, const LocaleInfo& locale) {
    if (const std::optional<LoadedSettings> saved = readSettings(settings);
        saved && !saved->language.isEmpty())
        return lang::languageOf(saved->language);
    // As the window decides on a first start (InterfaceLanguage::IsTurkishLocale).
    const QString name = locale.languageName();
    const bool turkish = name.contains(QStringLiteral("Turkey")) ||
                         name.contains(QStringLiteral("Türkiye")) ||
                         name.contains(QStringLiteral("Turkish"));
    return turkish ? Language::Turkish : Language::English;
}

}  // namespace klangor
