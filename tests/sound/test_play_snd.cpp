// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"

#include <QTest>

#include <climits>

using namespace klangor::fakes;

// PlaySnd's index table and the three preview buttons, against the fake player.
class TestPlaySnd : public QObject {
    Q_OBJECT

private slots:
    void indexTable_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("played");  // empty: nothing at all reaches the player
        QTest::newRow("0") << 0 << QStringLiteral("cock1");
        QTest::newRow("1") << 1 << QStringLiteral("cock2");
        QTest::newRow("2") << 2 << QStringLiteral("notify");
        QTest::newRow("3") << 3 << QStringLiteral("wbegin");
        QTest::newRow("4") << 4 << QStringLiteral("wend");
        QTest::newRow("5 quiet") << 5 << QString();
        QTest::newRow("-1 no selection") << -1 << QString();
        QTest::newRow("6") << 6 << QString();
        QTest::newRow("INT_MAX") << INT_MAX << QString();
        QTest::newRow("INT_MIN") << INT_MIN << QString();
    }

    void indexTable() {
        QFETCH(int, index);
        QFETCH(QString, played);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.PlaySnd(index);
        QCOMPARE(fakes.sound->played, played.isEmpty() ? QStringList() : QStringList{played});
    }

    void previewButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("played");
        QTest::newRow("repeater first warning") << "SpeedButton1"
                                                << "sxMinutes" << 3 << "wbegin";
        QTest::newRow("repeater second warning") << "SpeedButton2"
                                                 << "sxMinutes2" << 1 << "cock2";
        QTest::newRow("alarm") << "SpeedButton3"
                               << "salarm" << 4 << "wend";
        QTest::newRow("alarm first entry") << "SpeedButton3"
                                           << "salarm" << 0 << "cock1";
        QTest::newRow("first warning quiet") << "SpeedButton1"
                                             << "sxMinutes" << 5 << "";
        QTest::newRow("second warning quiet") << "SpeedButton2"
                                              << "sxMinutes2" << 5 << "";
        QTest::newRow("alarm no selection") << "SpeedButton3"
                                            << "salarm" << -1 << "";
    }

    // A click on a preview button plays what its own list shows, and only that.
    void previewButtons() {
        QFETCH(QString, button);
        QFETCH(QString, list);
        QFETCH(int, index);
        QFETCH(QString, played);
        Fakes fakes;
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).PageControl1->setCurrentIndex(list == QLatin1String("salarm") ? 0 : 1);
        // The other lists point elsewhere, so a button wired to the wrong list shows.
        for (QComboBox* other : {ctl(form).salarm, ctl(form).sxMinutes, ctl(form).sxMinutes2})
            other->setCurrentIndex(2);
        auto* box = form.findChild<QComboBox*>(list);
        auto* tool = form.findChild<QToolButton*>(button);
        QVERIFY(box && tool);
        box->setCurrentIndex(index);
        QCOMPARE(box->currentIndex(), index);
        fakes.sound->played.clear();
        QTest::mouseClick(tool, Qt::LeftButton);
        QCOMPARE(fakes.sound->played, played.isEmpty() ? QStringList() : QStringList{played});
    }

    // Each press asks again (the player restarts the sound); silence never reaches the player,
    // so a sound already playing is left alone.
    void repeatedPresses() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        ctl(form).sxMinutes->setCurrentIndex(2);
        ctl(form).SpeedButton1->click();
        ctl(form).SpeedButton1->click();
        ctl(form).sxMinutes->setCurrentIndex(5);
        ctl(form).SpeedButton1->click();
        QCOMPARE(fakes.sound->played, (QStringList{"notify", "notify"}));
    }

    void listsAndButtons() {
        Fakes fakes;
        TForm1 form(fakes.platform());
        QCOMPARE(ctl(form).salarm->count(), 5);
        QCOMPARE(ctl(form).sxMinutes->count(), 6);
        QCOMPARE(ctl(form).sxMinutes2->count(), 6);
        for (QComboBox* box : {ctl(form).salarm, ctl(form).sxMinutes, ctl(form).sxMinutes2}) {
            QCOMPARE(box->currentIndex(), 0);
            QVERIFY(!box->isEditable());
        }
    }
};

QTEST_MAIN(TestPlaySnd)
#include "test_play_snd.moc"
