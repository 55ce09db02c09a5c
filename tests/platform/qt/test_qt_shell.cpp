// The real shell operation: programs start directly, whatever their path holds; everything else
// goes to the desktop (caught here by URL handlers, so no other program opens).

#include "fakes/as_ordinary_user.h"
#include "platform/qt/qt_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

using klangor::QtShell;

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void record(const QUrl& url) { urls << url; }
};

class TestQtShell : public QObject {
    Q_OBJECT

    UrlRecorder desktop_;

    static bool writeFile(const QString& path, const QByteArray& content, bool executable) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return false;
        f.close();
        if (executable)
            return f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
        return true;
    }

private slots:
    void initTestCase() {
        for (const char* scheme : {"file", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop_, "record");
    }
    void init() { desktop_.urls.clear(); }

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
        QVERIFY(QtShell().open(program.toStdString()));
        QCOMPARE(desktop_.urls, QList<QUrl>{});
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

        QtShell shell;
        QVERIFY(shell.open(script.toStdString()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile m(marker);
        QVERIFY(m.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(m.readAll()), script + QStringLiteral("|0"));
        QVERIFY(desktop_.urls.isEmpty());
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
        QtShell shell;
        QVERIFY(shell.open(path.toStdString()));
        QCOMPARE(desktop_.urls.size(), 1);
        QCOMPARE(desktop_.urls.first().toLocalFile(), path);
        QTest::qWait(200);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.sh"))));
    }

    void addressOpensWithTheDesktop() {
        QtShell shell;
        QVERIFY(shell.open("https://vostrel.example/?a=1&b=2"));
        QCOMPARE(desktop_.urls,
                 QList<QUrl>{QUrl(QStringLiteral("https://vostrel.example/?a=1&b=2"))});
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
        QtShell shell;
        QVERIFY(!shell.open(target.toStdString()));
        QVERIFY(desktop_.urls.isEmpty());
    }
};

QTEST_MAIN(TestQtShell)
#include "test_qt_shell.moc"
