// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/as_ordinary_user.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "platform/qt/qt_settings_store.h"
#include "settings/settings_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <limits>

using namespace klangor::fakes;

namespace {

const QStringList kLoadOrder = {"lang",      "chkTurnOff", "chkTwo",     "xMinutes",
                                "xMinutes2", "sxMinutes",  "sxMinutes2", "salarm"};
const QStringList kSaveOrder = {"lang",       "xMinutes", "xMinutes2", "sxMinutes",
                                "sxMinutes2", "salarm",   "chkTwo",    "chkTurnOff"};

// The state of the eight controls as the settings see it.
QVariantMap controls(const TForm1& f) {
    return {{"lang", ctl(f).lnlLang->text()},
            {"xMinutes", ctl(f).xMinutes->value()},
            {"xMinutes2", ctl(f).xMinutes2->value()},
            {"sxMinutes", ctl(f).sxMinutes->currentIndex()},
            {"sxMinutes2", ctl(f).sxMinutes2->currentIndex()},
            {"salarm", ctl(f).salarm->currentIndex()},
            {"chkTwo", ctl(f).chkTwo->isChecked() ? 1 : 0},
            {"chkTurnOff", ctl(f).chkTurnOff->isChecked() ? 1 : 0}};
}

const QVariantMap kDefaultsEnglish = {{"lang", "ENG"},  {"xMinutes", 60},  {"xMinutes2", 5},
                                      {"sxMinutes", 0}, {"sxMinutes2", 0}, {"salarm", 0},
                                      {"chkTwo", 0},    {"chkTurnOff", 0}};

QString configDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vostrel");
}
QString configFile() {
    return configDir() + QStringLiteral("/klangor2.conf");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A run of the program on the real settings file: start, then whatever the caller does, close.
struct Run {
    explicit Run(const QString& localeName = QStringLiteral("English")) {
        fakes.locale->name = localeName;
        klangor::Platform p = fakes.platform();
        p.settings = std::make_shared<klangor::QtSettingsStore>();
        form = std::make_unique<TForm1>(p);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    Fakes fakes;
    std::unique_ptr<TForm1> form;
};

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(QDir(configDir()).removeRecursively());
        QVERIFY(configDir().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    // The one table agrees with the form: its defaults are what the form starts with.
    void tableDefaultsAreTheFormsValues() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        const QVariantMap shown = controls(form);
        QStringList keys;
        for (const auto& s : klangor::settings::settingsTable()) {
            keys << s.key;
            if (s.kind != klangor::settings::Kind::Language)
                QCOMPARE(shown.value(s.key).toInt(), s.defaultValue);
        }
        QCOMPARE(keys, kSaveOrder);
    }

    void firstRunByLocale_data() {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("lang");
        QTest::newRow("Turkish") << "Turkish"
                                 << "TR";
        QTest::newRow("English") << "English"
                                 << "ENG";
    }
    void firstRunByLocale() {
        QFETCH(QString, localeName);
        QFETCH(QString, lang);
        Run run(localeName);
        QVariantMap expected = kDefaultsEnglish;
        expected["lang"] = lang;
        QCOMPARE(controls(*run.form), expected);
        QVERIFY(!QFile::exists(configFile()));  // nothing is written before the close
        run.form->close();
        QSettings saved(configFile(), QSettings::IniFormat);
        QCOMPARE(saved.value("lang").toString(), lang);
    }

    // Reads and writes go in their fixed orders; the language is saved as the button's caption,
    // numbers as 32-bit integers.
    void ordersAndTypes() {
        Fakes fakes;
        fakes.settings->present = true;
        fakes.settings->values = {{"lang", "EN"}, {"xMinutes", 25}};
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(fakes.settings->reads, kLoadOrder);
        form.close();
        QCOMPARE(fakes.settings->saves, 1);
        QCOMPARE(fakes.settings->lastSaveOrder, kSaveOrder);
        QCOMPARE(fakes.settings->values.value("lang"), QVariant(QStringLiteral("ENG")));
        for (const QString& key : kSaveOrder.mid(1))
            QCOMPARE(fakes.settings->values.value(key).typeId(), QMetaType::Int);
        QCOMPARE(fakes.settings->values.value("xMinutes"), QVariant(25));
        // Saving again (an action before a power-off, then the close) is harmless.
        form.SaveSettings();
        QCOMPARE(fakes.settings->saves, 2);
        QCOMPARE(fakes.settings->lastSaveOrder, kSaveOrder);
    }

    void noSettingsNoReads() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.LoadSettings();
        QVERIFY(fakes.settings->reads.isEmpty());
    }

    // One stored value, and what its control shows after the start. A missing or non-numeric
    // value leaves the form's own value; numbers are clamped; nothing wraps around.
    void storedValue_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");  // invalid: absent
        QTest::addColumn<QVariant>("shown");
        const QVariant absent;
        auto row = [](const char* name, const char* key, QVariant stored, QVariant shown) {
            QTest::newRow(name) << QString::fromLatin1(key) << stored << shown;
        };
        row("period 25", "xMinutes", 25, 25);
        row("period text 25", "xMinutes", "25", 25);
        row("period padded", "xMinutes2", " 42 ", 42);
        row("period 0", "xMinutes", 0, 1);
        row("period -5", "xMinutes2", "-5", 1);
        row("period 10000", "xMinutes", 10000, 9999);
        row("period 2^32+1", "xMinutes", "4294967297", 9999);
        row("period huge", "xMinutes", "99999999999999999999999999", 9999);
        row("period huge negative", "xMinutes2", "-99999999999999999999999999", 1);
        row("period uint64 max", "xMinutes", QVariant::fromValue<qulonglong>(~0ULL), 9999);
        row("period absent", "xMinutes", absent, 60);
        row("period abc", "xMinutes", "abc", 60);
        row("period empty", "xMinutes2", "", 5);
        row("period 1.5", "xMinutes2", "1.5", 5);
        row("period 0x10", "xMinutes", "0x10", 60);
        row("period list", "xMinutes", QStringList{"1", "2"}, 60);
        row("sound 3", "sxMinutes", 3, 3);
        row("sound quiet", "sxMinutes2", 5, 5);
        row("sound 7", "sxMinutes", 7, 0);  // outside: the first sound, never none
        row("sound -1", "sxMinutes2", -1, 0);
        row("alarm sound 4", "salarm", 4, 4);
        row("alarm sound 5", "salarm", 5, 0);
        row("alarm sound 99", "salarm", 99, 0);
        row("sound 2^32", "sxMinutes", "4294967296", 0);
        row("sound 2^32+2", "salarm", "4294967298", 0);
        row("sound abc", "salarm", "abc", 0);
        row("sound absent", "sxMinutes", absent, 0);
        row("box 1", "chkTwo", 1, 1);
        row("box 7", "chkTurnOff", "7", 1);
        row("box 0", "chkTwo", "0", 0);
        row("box 2^32", "chkTwo", "4294967296", 1);
        row("box maybe", "chkTurnOff", "maybe", 0);
        row("box true", "chkTwo", "true", 0);
        row("lang TR", "lang", "TR", "TR");
        row("lang ENG", "lang", "ENG", "ENG");
        row("lang number", "lang", 5, "TR");  // not text: as if absent, the locale decides
        row("lang absent", "lang", absent, "TR");
    }
    void storedValue() {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, shown);
        Fakes fakes;
        fakes.locale->name = QStringLiteral("Turkish");
        fakes.settings->present = true;
        if (stored.isValid())
            fakes.settings->values.insert(key, stored);
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(controls(form).value(key), shown);
        // What the window shows is what is kept: a repaired value is saved repaired.
        form.SaveSettings();
        QCOMPARE(fakes.settings->values.value(key), shown);
    }

    // The whole way through the real file: one run with choices, close, the file holds exactly
    // the eight keys, and the next run shows the same choices.
    void realFileRoundTrip() {
        writeFile(configFile(), "[General]\nstale=1\n[Other]\nkey=2\n");
        {
            Run run(QStringLiteral("English"));
            run.form->lnlLangClick();  // Turkish
            ctl(*run.form).xMinutes->setValue(25);
            ctl(*run.form).xMinutes2->setValue(7);
            ctl(*run.form).sxMinutes->setCurrentIndex(3);
            ctl(*run.form).sxMinutes2->setCurrentIndex(4);
            ctl(*run.form).salarm->setCurrentIndex(2);
            ctl(*run.form).chkTurnOff->setChecked(true);
            run.form->close();
        }
        QCOMPARE(
            QString::fromUtf8(readFile(configFile())),
            QStringLiteral("[General]\nchkTurnOff=1\nchkTwo=0\nlang=TR\nsalarm=2\nsxMinutes=3\n"
                           "sxMinutes2=4\nxMinutes=25\nxMinutes2=7\n"));
        Run again(QStringLiteral("English"));
        QCOMPARE(controls(*again.form), (QVariantMap{{"lang", "TR"},
                                                     {"xMinutes", 25},
                                                     {"xMinutes2", 7},
                                                     {"sxMinutes", 3},
                                                     {"sxMinutes2", 4},
                                                     {"salarm", 2},
                                                     {"chkTwo", 0},
                                                     {"chkTurnOff", 1}}));
        QCOMPARE(ctl(*again.form).Label1->text(), QStringLiteral("Uyarı Saati"));
    }

    // A damaged file: the program starts on its defaults, the file is kept aside as
    // klangor2.conf.corrupt (the latest one only), and the next save writes a clean file.
    void damagedFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("setAside");
        QByteArray noise(4096, '\0');
        quint32 x = 12345;
        for (char& c : noise) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
        QTest::newRow("random bytes") << noise << true;  // none of our values: not ours
        QTest::newRow("another program's settings")
            << QByteArray("[General]\ngeometry=12\n[Window]\nmaximized=true\n") << true;
        QTest::newRow("not UTF-8")
            << QByteArray("[General]\nlang=\xff\xfe\xc3\nxMinutes=\xe9\n") << false;
        QTest::newRow("variant blob")
            << QByteArray(
                   "[General]\nxMinutes=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5QFont\\0)\n"
                   "salarm=@ByteArray(3)\n")
            << false;
    }
    void damagedFile() {
        QFETCH(QByteArray, content);
        QFETCH(bool, setAside);
        writeFile(configFile() + QStringLiteral(".corrupt"), "an older one");
        writeFile(configFile(), content);
        Run run(QStringLiteral("English"));
        QVariantMap shown = controls(*run.form);
        if (content.contains("salarm=@ByteArray(3)"))
            QCOMPARE(shown.value("salarm"), QVariant(3));  // bytes that read as a number count
        shown["salarm"] = 0;
        QCOMPARE(shown, kDefaultsEnglish);
        if (setAside) {
            QVERIFY(!QFile::exists(configFile()));
            QCOMPARE(readFile(configFile() + QStringLiteral(".corrupt")), content);
        }
        run.form->close();
        QSettings saved(configFile(), QSettings::IniFormat);
        QCOMPARE(saved.status(), QSettings::NoError);
        QCOMPARE(saved.allKeys().size(), 8);
        QCOMPARE(saved.value("xMinutes").toString(), QStringLiteral("60"));
    }

    // A file that QSettings finds fault with but reads: the values it read are used. A copy is
    // kept aside only when some line could not be read, and the next save writes a clean file.
    void readableFileIsKept_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("chkTwo");
        QTest::addColumn<bool>("copyAside");
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[General]\nxMinutes=7\nchkTwo=1\n") << true << false;
        QTest::newRow("comment line")
            << QByteArray("# my alarm clock\n[General]\nxMinutes=7\r\nchkTwo=1\n") << true << false;
        QTest::newRow("malformed section")
            << QByteArray("[General\nxMinutes=7\nchkTwo=1\n") << true << true;
        QTest::newRow("stray line")
            << QByteArray("[General]\nxMinutes=7\nnot a setting\nchkTwo=1\n") << true << true;
        QTest::newRow("broken header after values")
            << QByteArray("[General]\nxMinutes=7\n[x\nchkTwo=1\n") << false << true;
    }
    void readableFileIsKept() {
        QFETCH(QByteArray, content);
        QFETCH(bool, chkTwo);
        QFETCH(bool, copyAside);
        writeFile(configFile(), content);
        {
            Run run;
            QCOMPARE(ctl(*run.form).xMinutes->value(), 7);
            QCOMPARE(ctl(*run.form).chkTwo->isChecked(), chkTwo);
            QCOMPARE(readFile(configFile()), content);
            QCOMPARE(readFile(configFile() + QStringLiteral(".corrupt")),
                     copyAside ? content : QByteArray());
            run.form->close();
        }
        QSettings saved(configFile(), QSettings::IniFormat);
        QCOMPARE(saved.status(), QSettings::NoError);
        QCOMPARE(saved.value("xMinutes").toInt(), 7);
        QCOMPARE(saved.value("chkTwo").toInt(), chkTwo ? 1 : 0);
        QCOMPARE(readFile(configFile() + QStringLiteral(".corrupt")),
                 copyAside ? content : QByteArray());
    }

    // A settings path that cannot be read or written as a file: defaults, no crash, no save.
    void unusableFile() {
        QVERIFY(QDir().mkpath(configFile()));  // a folder where the file belongs
        Run run(QStringLiteral("English"));
        QCOMPARE(controls(*run.form), kDefaultsEnglish);
        run.form->close();
        QVERIFY(QFileInfo(configFile()).isDir());
    }

    // A file we may not read stays as it is: defaults, and no save over it. Root reads every
    // file, so as root the test runs itself again as an ordinary user.
    void unreadableFile() {
        if (klangor::test::runningAsRoot()) {
            QTemporaryDir home;
            QVERIFY(home.isValid());
            QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                   QFileDevice::WriteOther | QFileDevice::ExeOther);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
            env.insert(QStringLiteral("HOME"), home.path());
            KLANGOR_RERUN_AS_ORDINARY_USER("unreadableFile", env);
            return;
        }
        const QByteArray mine = "[General]\nxMinutes=7\nlang=TR\n";
        writeFile(configFile(), mine);
        QFile::setPermissions(configFile(), QFileDevice::WriteOwner);
        Run run(QStringLiteral("English"));
        QCOMPARE(controls(*run.form), kDefaultsEnglish);
        run.form->close();
        QFile::setPermissions(configFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readFile(configFile()), mine);
        QVERIFY(!QFile::exists(configFile() + QStringLiteral(".corrupt")));
    }

    // Only the user's own file counts: an organisation-wide Vostrel.conf beside it, good or
    // malformed, neither supplies values nor gets the user's file set aside.
    void noFallbackFiles() {
        const QString orgFile = QFileInfo(configDir()).path() + QStringLiteral("/Vostrel.conf");
        for (const QByteArray& org : {QByteArray("[General]\nxMinutes=33\nchkTwo=1\n"),
                                      QByteArray("[General\nxMinutes=33\n")}) {
            init();
            writeFile(orgFile, org);
            writeFile(configFile(), "[General]\nxMinutes2=9\nlang=ENG\n");
            {
                Run run;
                QCOMPARE(ctl(*run.form).xMinutes->value(), 60);
                QCOMPARE(ctl(*run.form).xMinutes2->value(), 9);
                QVERIFY(!ctl(*run.form).chkTwo->isChecked());
                run.form->close();
            }
            QVERIFY(!QFile::exists(configFile() + QStringLiteral(".corrupt")));
            QCOMPARE(readFile(orgFile), org);
            QFile::remove(orgFile);
        }
    }

    // A link in place of the file is not followed: its target stays as it was, the save puts a
    // file of ours in the link's place. A dangling link is treated alike.
    void linkedFile_data() {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("to another file") << false;
        QTest::newRow("dangling") << true;
    }
    void linkedFile() {
        QFETCH(bool, dangling);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("passwd"));
        const QByteArray other = "root:x:0:0:root:/root:/bin/bash\n[General]\nxMinutes=3\n";
        if (!dangling)
            writeFile(target, other);
        QDir().mkpath(configDir());
        QVERIFY(QFile::link(target, configFile()));
        {
            Run run;
            QCOMPARE(controls(*run.form), kDefaultsEnglish);
            run.form->close();
        }
        QCOMPARE(QFileInfo::exists(target), !dangling);
        if (!dangling)
            QCOMPARE(readFile(target), other);
        QVERIFY(!QFileInfo(configFile()).isSymLink());
        QCOMPARE(QSettings(configFile(), QSettings::IniFormat).allKeys().size(), 8);
    }

    // A save changes the program's values only: other keys and groups stay.
    void saveKeepsOtherKeys() {
        writeFile(configFile(), "[General]\nxMinutes=7\nnote=kept\n[Other]\nkey=also kept\n");
        {
            Run run;
            QCOMPARE(ctl(*run.form).xMinutes->value(), 7);
            ctl(*run.form).xMinutes->setValue(8);
            run.form->close();
        }
        QSettings saved(configFile(), QSettings::IniFormat);
        QCOMPARE(saved.value("xMinutes").toInt(), 8);
        QCOMPARE(saved.value("note").toString(), QStringLiteral("kept"));
        QCOMPARE(saved.value("Other/key").toString(), QStringLiteral("also kept"));
    }

    // A file far larger than any settings file is set aside unread.
    void hugeFile() {
        QByteArray huge("[General]\nxMinutes=7\n");
        huge += QByteArray(2 << 20, 'x');
        writeFile(configFile(), huge);
        Run run;
        QCOMPARE(controls(*run.form), kDefaultsEnglish);
        QCOMPARE(QFileInfo(configFile() + QStringLiteral(".corrupt")).size(), huge.size());
    }

    // A save that runs out of disk space leaves the old file as it was, and says so. The disk is
    // a small tmpfs of the test's own, in a mount namespace (so as root, as CI runs): the test
    // runs itself again in there.
    void fullDiskKeepsTheFile() {
        if (qEnvironmentVariableIsEmpty("KLANGOR_SMALL_DISK")) {
            QTemporaryDir mountPoint;
            QVERIFY(mountPoint.isValid());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KLANGOR_SMALL_DISK"), mountPoint.path());
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), mountPoint.path());
            QProcess rerun;
            rerun.setProcessEnvironment(env);
            rerun.setProcessChannelMode(QProcess::MergedChannels);
            rerun.start(QStringLiteral("unshare"),
                        {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                         QStringLiteral("private"), QStringLiteral("sh"), QStringLiteral("-c"),
                         QStringLiteral("mount -t tmpfs -o size=64k klangor-test \"$0\" && "
                                        "exec \"$@\""),
                         mountPoint.path(), QCoreApplication::applicationFilePath(),
                         QStringLiteral("fullDiskKeepsTheFile")});
            QVERIFY2(rerun.waitForFinished(60000), "unshare did not finish");
            QVERIFY2(rerun.exitStatus() == QProcess::NormalExit && rerun.exitCode() == 0,
                     rerun.readAll().constData());
            return;
        }
        const QString disk = qEnvironmentVariable("KLANGOR_SMALL_DISK");
        QCOMPARE(QStorageInfo(disk).rootPath(), disk);
        QCOMPARE(QStorageInfo(disk).fileSystemType(), QByteArray("tmpfs"));

        const QByteArray mine = "[General]\nlang=TR\nxMinutes=33\n[Other]\nkey=kept\n";
        writeFile(configFile(), mine);
        Run run;
        QCOMPARE(ctl(*run.form).xMinutes->value(), 33);
        ctl(*run.form).xMinutes->setValue(34);
        // The disk filled up to one page, which the lock takes.
        QFile lastPage(disk + QStringLiteral("/last page"));
        QVERIFY(lastPage.open(QIODevice::WriteOnly));
        QVERIFY(lastPage.write(QByteArray(4096, 'x')) == 4096 && lastPage.flush());
        lastPage.close();
        QFile filler(disk + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
        filler.close();
        QVERIFY(lastPage.remove());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("settings could not be written")));
        run.form->close();
        QCOMPARE(readFile(configFile()), mine);

        // With room again the same save goes through, other programs' keys and all.
        QVERIFY(filler.remove());
        QVERIFY(klangor::QtSettingsStore(configFile()).save({{QStringLiteral("xMinutes"), 35}}));
        const QSettings saved(configFile(), QSettings::IniFormat);
        QCOMPARE(saved.value("xMinutes").toInt(), 35);
        QCOMPARE(saved.value("lang").toString(), QStringLiteral("TR"));
        QCOMPARE(saved.value("Other/key").toString(), QStringLiteral("kept"));
    }

    // A lock that cannot be taken (a folder of that name, as a crash or a stranger may leave)
    // gives up the save at once: the window closes, the old file stays.
    void heldLock() {
        writeFile(configFile(), "[General]\nxMinutes=7\n");
        QVERIFY(QDir().mkpath(configFile() + QStringLiteral(".lock/inside")));
        Run run;
        ctl(*run.form).xMinutes->setValue(9);
        QElapsedTimer t;
        t.start();
        run.form->close();
        // It tries for a second; a save that waited for the lock would never end.
        QVERIFY2(t.elapsed() < 20000, "the save waited for the lock");
        QCOMPARE(QSettings(configFile(), QSettings::IniFormat).value("xMinutes").toInt(), 7);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
