// SPDX-License-Identifier: GPL-3.0-or-later
// The real shell operation: programs start directly, whatever their path holds; everything else
// goes to the desktop's opener (here a stand-in script that records what it was given and
// answers as told, so no other program opens).

#include "fakes/as_ordinary_user.h"
#include "platform/qt/qt_shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

using klangor::QtShell;

/// A stand-in for xdg-open: appends its argument to a record and exits with `exitCode`,
/// printing `complaint` on its error output first.
class StandInOpener {
public:
    explicit StandInOpener(int exitCode = 0, const QByteArray& complaint = {}) {
        record_ = dir_.filePath(QStringLiteral("record"));
        path_ = dir_.filePath(QStringLiteral("opener"));
        QFile f(path_);
        if (f.open(QIODevice::WriteOnly)) {
            f.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record_.toUtf8() + "'\n");
            if (!complaint.isEmpty())
                f.write("echo '" + complaint + "' >&2\n");
            f.write("exit " + QByteArray::number(exitCode) + "\n");
            f.close();
            f.setPermissions(f.permissions() | QFile::ExeOwner);
        }
    }
    QString path() const { return path_; }
    /// The arguments the opener was started with, one per start.
    QStringList given() const {
        QFile f(record_);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString path_;
    QString record_;
};

class TestQtShell : public QObject {
    Q_OBJECT

    static bool writeFile(const QString& path, const QByteArray& content, bool executable) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return false;
        f.close();
        if (executable)
            return f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
        return true;
    }

    /// Hands the opener a document after whatever the test did, and waits until the opener has
    /// been given it: had the earlier request reached the opener, it would have come first.
    static void expectOnlyTheSentinel(QtShell& shell, const StandInOpener& desktop) {
        QTemporaryDir dir;
        const QString sentinel = dir.filePath(QStringLiteral("sentinel.txt"));
        QVERIFY(writeFile(sentinel, "x", false));
        QVERIFY(shell.open(sentinel.toStdString()));
        QTRY_VERIFY_WITH_TIMEOUT(!desktop.given().isEmpty(), 20000);
        QCOMPARE(desktop.given(), QStringList{sentinel});
    }

private slots:
    // A program we may run but not read (mode 0711) is started, not handed to the desktop's
    // opener, which cannot read it. Root reads every file, so as root the test runs itself
    // again as an ordinary user.
    void executeOnlyProgramStarts() {
        if (klangor::test::runningAsRoot()) {
            KLANGOR_RERUN_AS_ORDINARY_USER("executeOnlyProgramStarts",
                                           QProcessEnvironment::systemEnvironment());
            return;
        }
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.filePath(QStringLiteral("run me"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/true"), program));
        QVERIFY(QFile::setPermissions(
            program, QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther | QFile::WriteOwner));
        QVERIFY(!QFileInfo(program).isReadable());
        StandInOpener desktop;
        QtShell shell(desktop.path());
        QVERIFY(shell.open(program.toStdString()));
        expectOnlyTheSentinel(shell, desktop);
    }

    // A script we may run but not read cannot run (its interpreter cannot read it either): that
    // comes back as a failure to open it.
    void executeOnlyScriptFailureIsReported() {
        if (klangor::test::runningAsRoot()) {
            KLANGOR_RERUN_AS_ORDINARY_USER("executeOnlyScriptFailureIsReported",
                                           QProcessEnvironment::systemEnvironment());
            return;
        }
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString script = dir.filePath(QStringLiteral("wake up.sh"));
        QVERIFY(writeFile(script, "#!/bin/sh\nexit 0\n", false));
        QVERIFY(QFile::setPermissions(
            script, QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther | QFile::WriteOwner));
        QVERIFY(!QFileInfo(script).isReadable());
        StandInOpener desktop;
        QtShell shell(desktop.path());
        QStringList reports;
        shell.setLateFailureHandler([&](const std::string& target, const std::string&) {
            reports << QString::fromStdString(target);
        });
        QVERIFY(shell.open(script.toStdString()));
        QTRY_COMPARE_WITH_TIMEOUT(reports, QStringList{script}, 15000);
        QCOMPARE(desktop.given(), QStringList{});
    }

    void programStartsAsItself_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("space and semicolon") << "a b; touch x.sh";
        QTest::newRow("quotes and substitutions")
            << "it's \"q\" $(touch x.sh) `touch x.sh` && touch x.sh";
        QTest::newRow("glob, pipe, redirect") << "* | touch x.sh > x.sh #";
        QTest::newRow("non-ASCII") << "Komut Çalıştır ; touch x.sh";
    }

    // The script writes its own path and argument count to a marker: exactly that file ran,
    // with no arguments, and no shell ever saw the name (which would have made x.sh).
    void programStartsAsItself() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("folder with 'quotes' & spaces"));
        QVERIFY(QDir().mkpath(folder));
        const QString script = folder + QLatin1Char('/') + name;
        const QString marker = dir.filePath(QStringLiteral("marker"));
        QVERIFY(writeFile(script,
                          "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$#\" > '" + marker.toUtf8() +
                              ".tmp' && mv '" + marker.toUtf8() + ".tmp' '" + marker.toUtf8() +
                              "'\n",
                          true));

        StandInOpener desktop;
        QtShell shell(desktop.path());
        QVERIFY(shell.open(script.toStdString()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile m(marker);
        QVERIFY(m.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(m.readAll()), script + QStringLiteral("|0"));
        QVERIFY(desktop.given().isEmpty());
        for (const QString& where : {folder, dir.path(), QDir::currentPath()})
            QVERIFY2(!QFile::exists(where + QStringLiteral("/x.sh")), qPrintable(where));
    }

    // Documents, and files that merely carry the execute permission (as on a FAT stick), open
    // with the desktop's program for them; nothing in them runs.
    void documentOpensWithTheDesktop_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("executable");
        QTest::newRow("document") << "notes #1 ?.txt" << QByteArray("hello") << false;
        QTest::newRow("executable bit, no program")
            << "song; touch x.sh.mp3" << QByteArray("touch x.sh\n") << true;
    }

    void documentOpensWithTheDesktop() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeFile(path, content, executable));
        StandInOpener desktop;
        QtShell shell(desktop.path());
        QVERIFY(shell.open(path.toStdString()));
        QTRY_COMPARE(desktop.given(), QStringList{path});
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.sh"))));
    }

    void addressOpensWithTheDesktop() {
        StandInOpener desktop;
        QtShell shell(desktop.path());
        QVERIFY(shell.open("https://vostrel.example/?a=1&b=2"));
        QTRY_COMPARE(desktop.given(), QStringList{"https://vostrel.example/?a=1&b=2"});
    }

    // The opener's own verdict comes back: its last complaint, or what its exit code means.
    // Success, and a missing opener (refused at once), report nothing later.
    void openerFailureIsReported_data() {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("complaint");
        QTest::addColumn<QString>("reason");
        QTest::newRow("succeeds") << 0 << QByteArray() << QString();
        QTest::newRow("no program, says why")
            << 3 << QByteArray("xdg-open: no method available for opening it")
            << "xdg-open: no method available for opening it";
        QTest::newRow("no program, silent")
            << 3 << QByteArray() << "no program is set up to open it";
        QTest::newRow("program failed") << 4 << QByteArray() << "the program that opens it failed";
    }

    void openerFailureIsReported() {
        QFETCH(int, exitCode);
        QFETCH(QByteArray, complaint);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.odt"));
        QVERIFY(writeFile(path, "x", false));
        StandInOpener desktop(exitCode, complaint);
        QtShell shell(desktop.path());
        QStringList reports;
        shell.setLateFailureHandler([&](const std::string& target, const std::string& why) {
            reports << QString::fromStdString(target) + QLatin1Char('|') +
                           QString::fromStdString(why);
        });
        QVERIFY(shell.open(path.toStdString()));
        QTRY_COMPARE(desktop.given(), QStringList{path});
        if (reason.isEmpty()) {
            // The opener's end has been handled once its process object is gone.
            QTRY_VERIFY_WITH_TIMEOUT(
                QCoreApplication::instance()->findChildren<QProcess*>().isEmpty(), 20000);
            QCOMPARE(reports, QStringList{});
        } else {
            QTRY_COMPARE(reports, QStringList{path + QLatin1Char('|') + reason});
        }
    }

    void missingOpenerIsRefusedAtOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.odt"));
        QVERIFY(writeFile(path, "x", false));
        QtShell shell(QStringLiteral("/nonexistent/klangor/xdg-open"));
        bool reported = false;
        shell.setLateFailureHandler(
            [&](const std::string&, const std::string&) { reported = true; });
        QVERIFY(!shell.open(path.toStdString()));
        // Nothing was left running that could report later.
        QVERIFY(QCoreApplication::instance()->findChildren<QProcess*>().isEmpty());
        QCoreApplication::processEvents();
        QVERIFY(!reported);
    }

    void refusesWhatIsNeitherFileNorAddress_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("empty") << "";
        QTest::newRow("a list entry's caption") << "Execute Command";
        QTest::newRow("relative path") << "bin/tool; touch x.sh";
        QTest::newRow("missing file") << "/nonexistent/klangor/a b.sh";
    }

    void refusesWhatIsNeitherFileNorAddress() {
        QFETCH(QString, target);
        StandInOpener desktop;
        QtShell shell(desktop.path());
        QVERIFY(!shell.open(target.toStdString()));
        expectOnlyTheSentinel(shell, desktop);
    }
};

QTEST_MAIN(TestQtShell)
#include "test_qt_shell.moc"
