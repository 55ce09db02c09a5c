// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read into a start request, a help text, the version or one line of error.

#include "alarm/after_alarm.h"
#include "app/build_config.h"
#include "app/command_line.h"
#include "fakes/fake_platform.h"
#include "lang/qt_translations.h"

#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using klangor::AfterAlarm;
using klangor::CommandLine;
using klangor::parseCommandLine;
using klangor::lang::Language;
using Kind = klangor::CommandLine::Kind;

Q_DECLARE_METATYPE(klangor::CommandLine::Kind)
Q_DECLARE_METATYPE(klangor::lang::Language)

namespace {

QStringList args(std::initializer_list<const char*> list) {
    QStringList a{QStringLiteral("klangor")};
    for (const char* s : list)
        a << QString::fromUtf8(s);
    return a;
}

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;
    QString fifo_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        file_ = dir_.filePath(QStringLiteral("wake up.sh"));
        QFile f(file_);
        QVERIFY(f.open(QIODevice::WriteOnly));
#ifndef Q_OS_WIN
        fifo_ = dir_.filePath(QStringLiteral("pipe"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo_).constData(), 0600) == 0);
#endif
    }

    // What each option sets; "-" stands for a part left unset.
    void request_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("inMinutes");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("repeater");
        const QString none = QStringLiteral("-");
        QTest::newRow("nothing") << args({}) << none << -1 << none << -1 << false;
        QTest::newRow("at HH:MM") << args({"--at", "7:30"}) << "07:30:00" << -1 << none << -1
                                  << false;
        QTest::newRow("at HH:MM:SS")
            << args({"--at=23:59:59"}) << "23:59:59" << -1 << none << -1 << false;
        QTest::newRow("at midnight")
            << args({"-at", "00:00"}) << "00:00:00" << -1 << none << -1 << false;
        QTest::newRow("in minutes") << args({"--in", "25m"}) << none << 25 << none << -1 << false;
        QTest::newRow("in plain number")
            << args({"--in", "90"}) << none << 90 << none << -1 << false;
        QTest::newRow("in hours and minutes")
            << args({"--in", "1h30m"}) << none << 90 << none << -1 << false;
        QTest::newRow("in days") << args({"--in", "2d"}) << none << 2880 << none << -1 << false;
        QTest::newRow("in days hours minutes")
            << args({"--in", "1D2H3M"}) << none << (24 + 2) * 60 + 3 << none << -1 << false;
        QTest::newRow("in longest")
            << args({"--in", "999h59m"}) << none << 999 * 60 + 59 << none << -1 << false;
        QTest::newRow("note") << args({"--note", "Çayı unutma !"}) << none << -1
                              << QStringLiteral("Çayı unutma !") << -1 << false;
        QTest::newRow("empty note")
            << args({"--note", ""}) << none << -1 << QString("") << -1 << false;
        QTest::newRow("action none") << args({"--action", "none"}) << none << -1 << none
                                     << int(AfterAlarm::NoAction) << false;
        QTest::newRow("action lock")
            << args({"--action", "lock"}) << none << -1 << none << int(AfterAlarm::Lock) << false;
        QTest::newRow("action sleep")
            << args({"--action", "Sleep"}) << none << -1 << none << int(AfterAlarm::Sleep) << false;
        QTest::newRow("action hibernate") << args({"--action", "hibernate"}) << none << -1 << none
                                          << int(AfterAlarm::Hibernate) << false;
        QTest::newRow("action restart") << args({"--action", "restart"}) << none << -1 << none
                                        << int(AfterAlarm::Restart) << false;
        QTest::newRow("action shutdown") << args({"--action", "shutdown"}) << none << -1 << none
                                         << int(AfterAlarm::ShutDown) << false;
        QTest::newRow("repeater") << args({"--repeater"}) << none << -1 << none << -1 << true;
        QTest::newRow("everything")
            << args({"--in", "1m", "--note", "Tea", "--action", "lock", "--repeater"}) << none << 1
            << QStringLiteral("Tea") << int(AfterAlarm::Lock) << true;
        QTest::newRow("Qt's own options pass")
            << args({"-platform", "xcb", "-style=fusion", "-reverse", "--at", "12:00"})
            << "12:00:00" << -1 << none << -1 << false;
    }
    void request() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, at);
        QFETCH(int, inMinutes);
        QFETCH(QString, note);
        QFETCH(int, action);
        QFETCH(bool, repeater);
        const CommandLine line = parseCommandLine(arguments, Language::English);
        QCOMPARE(line.kind, Kind::Start);
        const klangor::StartRequest& r = line.request;
        QCOMPARE(r.at ? r.at->toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("-"), at);
        QCOMPARE(r.inMinutes.value_or(-1), inMinutes);
        QCOMPARE(r.note.value_or(QStringLiteral("-")), note);
        QCOMPARE(r.action.value_or(-1), action);
        QVERIFY(r.actionFile.isEmpty());
        QCOMPARE(r.repeater, repeater);
    }

    // A file runs as "Execute Command": its whole path, spaces and all, never a shell line.
    void actionFile() {
        const CommandLine line = parseCommandLine(args({"--action"}) << file_, Language::English);
        QCOMPARE(line.kind, Kind::Start);
        QCOMPARE(line.request.action.value_or(-1), int(AfterAlarm::ExecuteCommand));
        QCOMPARE(line.request.actionFile, file_);
    }

    // Every mistake gives one line naming what is wrong, and nothing to start.
    void mistakes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown option") << args({"--bogus"}) << "'bogus'";
        QTest::newRow("at without value") << args({"--at"}) << "'--at'";
        QTest::newRow("at not a time") << args({"--at", "7.30"}) << "--at: '7.30'";
        QTest::newRow("at hour 24") << args({"--at", "24:00"}) << "--at: '24:00'";
        QTest::newRow("at one-digit minute") << args({"--at", "7:5"}) << "--at: '7:5'";
        QTest::newRow("at minute 60") << args({"--at", "7:60"}) << "--at: '7:60'";
        QTest::newRow("in empty") << args({"--in", ""}) << "--in: ''";
        QTest::newRow("in unit only") << args({"--in", "m"}) << "--in: 'm'";
        QTest::newRow("in seconds") << args({"--in", "30s"}) << "--in: '30s'";
        QTest::newRow("in wrong order") << args({"--in", "30m1h"}) << "--in: '30m1h'";
        QTest::newRow("in negative") << args({"--in", "-5"}) << "'-5'";
        QTest::newRow("in too long") << args({"--in", "42d"}) << "999";
        QTest::newRow("in huge") << args({"--in", "99999999999999"}) << "--in: '99999999999999'";
        QTest::newRow("at and in") << args({"--at", "7:30", "--in", "5"}) << "--at and --in";
        QTest::newRow("action word") << args({"--action", "reboot"}) << "--action: 'reboot'";
        QTest::newRow("action relative file")
            << args({"--action", "bin/run.sh"}) << "--action: 'bin/run.sh'";
        QTest::newRow("action shell line")
            << args({"--action", "/bin/true; rm -rf ~"}) << "no file '/bin/true; rm -rf ~'";
        QTest::newRow("action missing file")
            << args({"--action", "/nonexistent/run.sh"}) << "no file '/nonexistent/run.sh'";
        QTest::newRow("action folder")
            << args({"--action", "/tmp"}) << "'/tmp' is a folder, not a file";
#ifndef Q_OS_WIN
        QTest::newRow("action pipe")
            << args({"--action"}) + QStringList{fifo_} << "'" + fifo_ + "' is not an ordinary file";
        QTest::newRow("action device")
            << args({"--action", "/dev/null"}) << "'/dev/null' is not an ordinary file";
#endif
        // Control characters in a value would be obeyed by the terminal: they are written out.
        QTest::newRow("escape sequence")
            << args({"--at", "\x1b]0;owned\x07\x1b[2J"}) << "--at: '\\x1b]0;owned\\x07\\x1b[2J'";
        QTest::newRow("line break") << args({"--in", "5\nm"}) << "--in: '5\\x0am'";
        QTest::newRow("direction mark")
            << args({"--action", "/x/\u202Ehs.exe"}) << "'/x/\\u202ehs.exe'";
        QTest::newRow("argument") << args({"now"}) << "'now'";
    }
    void mistakes() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const CommandLine line = parseCommandLine(arguments, Language::English);
        QCOMPARE(line.kind, Kind::Error);
        QVERIFY2(line.text.contains(says), qPrintable(line.text));
        for (const QChar c : line.text)
            QVERIFY2(c.category() != QChar::Other_Control, qPrintable(line.text));
        QVERIFY(line.text.contains(QStringLiteral("--help")));
    }

    // --help and --version win over everything else; the help lists every option and speaks
    // the language asked for, Qt's own words included.
    void helpAndVersion_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("usage");
        QTest::addColumn<QString>("atText");
        QTest::newRow("English") << Language::English << "Usage:"
                                 << "time of day";
        QTest::newRow("Turkish") << Language::Turkish << "Kullanım:"
                                 << "günün bu saatine";
    }
    void helpAndVersion() {
        QFETCH(Language, language);
        QFETCH(QString, usage);
        QFETCH(QString, atText);
        klangor::lang::QtTranslations::apply(language);
        for (const char* option : {"--help", "-h"}) {
            const CommandLine help = parseCommandLine(args({"--at", "nonsense", option}), language);
            QCOMPARE(help.kind, Kind::Help);
            for (const char* name :
                 {"--at", "--in", "--note", "--action", "--repeater", "--version"})
                QVERIFY2(help.text.contains(QLatin1String(name)), name);
            QVERIFY2(help.text.contains(usage), qPrintable(help.text));
            QVERIFY2(help.text.contains(atText), qPrintable(help.text));
            QVERIFY2(!help.text.contains(QLatin1String("platform")), qPrintable(help.text));
        }
        const CommandLine version = parseCommandLine(args({"--version"}), language);
        QCOMPARE(version.kind, Kind::Version);
        QCOMPARE(version.text,
                 QStringLiteral("Klangor %1").arg(QLatin1String(klangor::build::kVersion)));
        const CommandLine wrong = parseCommandLine(args({"--bogus"}), language);
        QCOMPARE(wrong.text.contains(QStringLiteral("Bilinmeyen")), language == Language::Turkish);
        klangor::lang::QtTranslations::apply(Language::English);
    }

    // The language of the texts: the saved one, else the locale's.
    void language_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<Language>("expected");
        QTest::newRow("nothing saved, English locale")
            << QString() << "English" << Language::English;
        QTest::newRow("nothing saved, Turkish locale")
            << QString() << "Turkish" << Language::Turkish;
        QTest::newRow("saved TR") << "TR"
                                  << "English" << Language::Turkish;
        QTest::newRow("saved ENG") << "ENG"
                                   << "Turkish" << Language::English;
        QTest::newRow("saved other") << "DE"
                                     << "Turkish" << Language::English;
    }
    void language() {
        QFETCH(QString, saved);
        QFETCH(QString, locale);
        QFETCH(Language, expected);
        klangor::fakes::FakeSettingsStore settings;
        if (!saved.isNull()) {
            settings.present = true;
            settings.values.insert(QStringLiteral("lang"), saved);
        }
        klangor::fakes::FakeLocale loc;
        loc.name = locale;
        QCOMPARE(klangor::startLanguage(settings, loc), expected);
        QCOMPARE(settings.saves, 0);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
