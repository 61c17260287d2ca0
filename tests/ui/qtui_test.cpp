// The Qt implementation of the Ui port: message boxes carry the captions given, in order, with
// the icon and default button asked for and answer with the button's number; the progress window
// shows its line and turns the cancel button into cancelled().
#include "ui/framework/progress.h"
#include "ui/framework/qtui.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <thread>

using hk::ui::QtUi;

class QtUiTest : public QObject {
    Q_OBJECT
  private slots:
    void boxShowsTheGivenCaptionsAndAnswersWithTheButtonNumber_data() {
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("click");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("yes/no, no default")
            << "&Evet|&Hayır" << 2 << 1 << QStringList{"&Evet", "&Hayır"};
        QTest::newRow("ok only") << "&Tamam" << 1 << 1 << QStringList{"&Tamam"};
        QTest::newRow("procedure's own") << "&Convert Yap|Convert İ&ptal" << 1 << 2
                                         << QStringList{"&Convert Yap", "Convert İ&ptal"};
        QTest::newRow("retry set") << "&Yeniden Dene|&Hatayı Geç|&İptal" << 3 << 3
                                   << QStringList{"&Yeniden Dene", "&Hatayı Geç", "&İptal"};
        QTest::newRow("empty means OK") << "" << 1 << 1 << QStringList{"&Tamam"};
    }

    void boxShowsTheGivenCaptionsAndAnswersWithTheButtonNumber() {
        QFETCH(QString, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, click);
        QFETCH(QStringList, captions);
        QtUi ui;
        QStringList seen;
        QString defaultText, title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            QMessageBox* box = ui.currentBox();
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons())
                seen << b->text();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == captions.at(click - 1)) b->click();
        });
        const int answer = ui.message("Mizan SilinsinMi?", "12 Aylık Mizan SilinsinMi?",
                                      hk::app::Icon::Warning, buttons.toStdString(), defaultButton);
        QCOMPARE(answer, click);
        std::sort(seen.begin(), seen.end());
        QStringList expected = captions;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(seen, expected);
        QCOMPARE(defaultText, captions.at(defaultButton - 1));
        QCOMPARE(title, QStringLiteral("12 Aylık Mizan SilinsinMi?"));
        QCOMPARE(text, QStringLiteral("Mizan SilinsinMi?"));
        QCOMPARE(icon, QMessageBox::Warning);
    }

    void escapeAnswersWithTheLastButton() {
        QtUi ui;
        QTimer::singleShot(0, [&] { QTest::keyClick(ui.currentBox(), Qt::Key_Escape); });
        QCOMPARE(ui.message("x", "y", hk::app::Icon::Question, "&Evet|&Hayır", 1), 2);
    }

    void aWorkerThreadsBoxIsShownOnTheGuiThread() {
        QtUi ui;
        std::atomic<int> answer{0};
        std::atomic<bool> done{false};
        bool onGuiThread = false;
        // The box runs its own event loop on the GUI thread; a timer there answers it.
        QTimer answerer;
        answerer.setInterval(10);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QMessageBox* box = ui.currentBox();
            if (!box) return;
            onGuiThread = QThread::currentThread() == qApp->thread();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QStringLiteral("&Hayır")) b->click();
        });
        answerer.start();
        std::thread worker([&] {
            answer =
                ui.message("Devam edilsin mi?", "Soru", hk::app::Icon::Question, "&Evet|&Hayır", 1);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
        worker.join();
        QVERIFY(onGuiThread);
        QCOMPARE(answer.load(), 2);
    }

    void progressWindowShowsItsLineAndReportsCancel() {
        QtUi ui;
        ui.progress("Fişler okunuyor", 40);
        QWidget* found = nullptr;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (qobject_cast<hk::ui::ProgressWindow*>(t) && t->isVisible()) found = t;
        QVERIFY(found);
        auto* pw = static_cast<hk::ui::ProgressWindow*>(found);
        QCOMPARE(pw->textLabel()->text(), QStringLiteral("Fişler okunuyor"));
        QCOMPARE(pw->bar()->value(), 40);
        QVERIFY(!ui.cancelled());
        QTest::mouseClick(pw->cancelButton(), Qt::LeftButton);
        QVERIFY(ui.cancelled());
        ui.progressDone();
        bool stillOpen = false;
        for (QWidget* t : QApplication::topLevelWidgets())
            stillOpen = stillOpen || (qobject_cast<hk::ui::ProgressWindow*>(t) && t->isVisible());
        QVERIFY(!stillOpen);
    }

    void splitButtonsKeepsCaptionsAsGiven() {
        QCOMPARE(hk::ui::splitButtons("&Evet|&Hayır"), (QStringList{"&Evet", "&Hayır"}));
        QCOMPARE(hk::ui::splitButtons(""), QStringList{"&Tamam"});
    }
};

QTEST_MAIN(QtUiTest)
#include "qtui_test.moc"
