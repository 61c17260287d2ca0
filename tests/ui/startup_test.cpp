// The desktop start-up end to end: a fresh data folder, the login as HESAPKAR with an empty
// password, the frame with the full menu; a data folder that cannot be opened; a wrong switch.
#include "app/startup.h"
#include "app/users.h"
#include "data/dataset.h"
#include "ui/shell/frame.h"
#include "ui/shell/login.h"
#include "ui/shell/startup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

template <typename W> W* visibleTop() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<W*>(w); t && t->isVisible()) return t;
    return nullptr;
}

// Drives the program while it runs its own event loops: step() is called every 20 ms until the
// program returns.
class Driver {
  public:
    explicit Driver(std::function<void()> step) : step_(std::move(step)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { step_(); });
        timer_.start(20);
    }

  private:
    std::function<void()> step_;
    QTimer timer_;
};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString oldCurrent;

  private slots:
    void init() {
        oldCurrent = QDir::currentPath();
        QVERIFY(tmp.isValid());
        QDir::setCurrent(tmp.path()); // Hesapkar.INI and the program-wide files go here
    }
    void cleanup() { QDir::setCurrent(oldCurrent); }

    void freshFolderLogsInAsHesapkarAndShowsTheFullMenu() {
        const QString data = tmp.path() + QStringLiteral("/Sirket 2026");
        QStringList boxes, bar;
        QString title, userField, statusUser, loginUser;
        int frameSeen = 0;
        qsizetype children = 0;
        Driver d([&] {
            if (auto* box = visibleTop<QMessageBox>()) {
                boxes << box->text();
                box->buttons().first()->click();
                return;
            }
            if (auto* login = visibleTop<hk::ui::LoginWindow>()) {
                loginUser = login->userField()->text();
                login->okButton()->click();
                return;
            }
            if (auto* frame = visibleTop<hk::ui::MainFrame>()) {
                if (frameSeen++) return;
                // A built window opens as a child; an unbuilt procedure says so. A timer does
                // not fire inside its own slot, so a second one answers that box.
                frame->trigger(4910);
                children = frame->mdiArea()->subWindowList().size();
                Driver answer([&] {
                    if (auto* box = visibleTop<QMessageBox>()) {
                        boxes << box->text();
                        box->buttons().first()->click();
                    }
                });
                frame->trigger(2040);
                title = frame->windowTitle();
                statusUser = frame->statusField(3)->text();
                for (QAction* a : frame->menuBar()->actions())
                    if (a->isVisible()) bar << a->text();
                frame->grab().save(QStringLiteral("/tmp/hesapkar-frame.png"));
                frame->action(5130)->trigger();
            }
        });
        const int rc = hk::ui::startDesktop(*qApp, {"path=" + data.toStdString()}, HK_RESOURCE_DIR);
        QCOMPARE(rc, 0);
        QCOMPARE(loginUser, QStringLiteral("HESAPKAR"));
        QCOMPARE(title, QStringLiteral("YTLHesapkar - ") + data);
        QCOMPARE(statusUser, QStringLiteral("HESAPKAR"));
        // A master user on a fresh folder: every menu of the bar ([Ozel] Kovan 0 hides only an
        // item inside "Düzenleme İşlemleri").
        QCOMPARE(bar, (QStringList{"Fiş İşlemleri", "&Raporlar", "Hesap Planı Listesi",
                                   "Genel Tanımlamalar", "Düzenleme İşlemleri", "&Yazıcı Ayarları",
                                   "&Pencere", "Çı&kış"}));
        QCOMPARE(children, qsizetype(1));
        QVERIFY(boxes.contains(QStringLiteral("Program MuavinMaliyetFiltreEkrani henüz tanımlanmamış.")));
        QFile ini(tmp.path() + QStringLiteral("/Hesapkar.INI"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString iniText = QString::fromUtf8(ini.readAll());
        QVERIFY2(iniText.contains(QStringLiteral("HESAPKAR")), qPrintable(iniText));
        QVERIFY(QFile::exists(data + QStringLiteral("/Hesapkar.db")));
        for (const QString& b : boxes) qInfo() << "shown:" << b;
    }

    void dataFolderThatCannotBeOpenedEnds_data() {
        QTest::addColumn<bool>("plainFile");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("start");
        // A database that is not one: message 23, "Dosya (<name>) açılamadı.  Hata: ...".
        QTest::newRow("damaged database") << false << QStringLiteral("Dosya ulaşım hatası")
                                          << QStringLiteral("Dosya (");
        // A plain file where the folder should be: the folder cannot be created (message 10).
        QTest::newRow("file in the way") << true << QStringLiteral("Dosya Yaratma hatası")
                                         << QStringLiteral("Hata: (");
    }
    void dataFolderThatCannotBeOpenedEnds() {
        QFETCH(bool, plainFile);
        QFETCH(QString, title);
        QFETCH(QString, start);
        const QString folder = tmp.path() + QStringLiteral("/veri-") + (plainFile ? "1" : "2");
        QByteArray garbage(8192, 'x');
        if (plainFile) {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        } else {
            QVERIFY(QDir().mkpath(folder));
            QFile f(folder + QStringLiteral("/Hesapkar.db"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        QStringList titles, texts;
        bool sawLogin = false;
        Driver d([&] {
            if (auto* box = visibleTop<QMessageBox>()) {
                titles << box->windowTitle();
                texts << box->text();
                box->buttons().first()->click();
            }
            if (visibleTop<hk::ui::LoginWindow>()) sawLogin = true;
        });
        const int rc = hk::ui::startDesktop(*qApp, {"Path=" + folder.toStdString()}, HK_RESOURCE_DIR);
        QVERIFY(rc != 0);
        QVERIFY(!sawLogin);
        QCOMPARE(titles, QStringList{title});
        QVERIFY2(texts.front().startsWith(start), qPrintable(texts.front()));
        QVERIFY(texts.front().endsWith(QStringLiteral("  Press OK to end this application")));
        // Nothing was overwritten.
        QFile kept(plainFile ? folder : folder + QStringLiteral("/Hesapkar.db"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
    }

    void nonMasterUserGetsTheTrimmedMenu() {
        const QString data = tmp.path() + QStringLiteral("/ali");
        {
            auto where = hk::data::Locations::resolve(data.toStdString(), tmp.path().toStdString());
            auto ds = hk::data::DataSet::open(where);
            QVERIFY(ds.ok());
            QVERIFY(hk::app::start::ensureUserFile(ds->data()).ok());
            auto f = hk::app::users::open(ds->data());
            QVERIFY(f.ok());
            hk::data::KLUsers ali;
            ali.ID = "ALI";
            ali.NAME = "Ali";
            ali.MASTERUSER = 0;
            QVERIFY(hk::app::users::addUser(*f, ali, "gizli").ok());
            for (double no : {2000.0, 2100.0, 4910.0}) {
                hk::data::KLDUsers r;
                r.ID = "ALI";
                r.MENUNO = no;
                r.GOSTER = r.IZLE = r.YENIGIR = r.DEGISTIR = r.SIL = "E";
                QVERIFY(f->userRights.add(r).ok());
            }
        }
        QFile ini(tmp.path() + QStringLiteral("/Hesapkar.INI"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[User]\r\nName=ALI\r\n");
        ini.close();

        QStringList bar, reports;
        int frameSeen = 0;
        Driver d([&] {
            if (auto* box = visibleTop<QMessageBox>()) {
                box->buttons().first()->click();
                return;
            }
            if (auto* login = visibleTop<hk::ui::LoginWindow>()) {
                login->passwordField()->setText(QStringLiteral("GİZLİ"));
                login->okButton()->click();
                return;
            }
            if (auto* frame = visibleTop<hk::ui::MainFrame>()) {
                if (frameSeen++) return;
                for (QAction* a : frame->menuBar()->actions())
                    if (a->isVisible()) bar << a->text();
                for (QAction* a : frame->action(2000)->menu()->actions())
                    if (a->isVisible() && !a->isSeparator()) reports << a->text();
                frame->action(5130)->trigger();
            }
        });
        const int rc = hk::ui::startDesktop(*qApp, {"Path=" + data.toStdString()}, HK_RESOURCE_DIR);
        QCOMPARE(rc, 0);
        QCOMPARE(bar, (QStringList{"&Raporlar", "&Yazıcı Ayarları", "&Pencere", "Çı&kış"}));
        QCOMPARE(reports, (QStringList{"Özel Raporlar", "Kasa Raporu"}));
    }

    void unknownSwitchIsRefused() {
        QStringList texts;
        Driver d([&] {
            if (auto* box = visibleTop<QMessageBox>()) {
                texts << box->text();
                box->buttons().first()->click();
            }
        });
        const int rc = hk::ui::startDesktop(*qApp, {"/KAPA"}, HK_RESOURCE_DIR);
        QCOMPARE(rc, 2);
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.front().contains(QStringLiteral("/KAPA")));
        QVERIFY(!QFile::exists(tmp.path() + QStringLiteral("/Dat")));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
