// The main frame: title, status bar, the menu with its numbers and hidden items, items that are
// not built yet, child windows (single instance, geometry memory) and the exit item.
#include "app/catalogue.h"
#include "app/rights.h"
#include "app/testing/fake_ui.h"
#include "support/procedure_fixture.h"
#include "ui/framework/progress.h"
#include "ui/shell/frame.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <QThread>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

using hk::app::testing::FakeUi;
using hk::ui::MainFrame;

namespace {

struct MapSettings {
    std::map<std::pair<std::string, std::string>, std::string> values;
    hk::ui::SettingsAccess access() {
        return {[this](const std::string& s, const std::string& k) {
                    auto it = values.find({s, k});
                    return it == values.end() ? std::string() : it->second;
                },
                [this](const std::string& s, const std::string& k, const std::string& v) {
                    values[{s, k}] = v;
                }};
    }
};

QStringList visibleBarTexts(MainFrame& f) {
    QStringList out;
    for (QAction* a : f.menuBar()->actions())
        if (a->isVisible()) out << a->text();
    return out;
}

// A worker procedure: records where it ran and on which data set, shows its progress line
// until it is asked to stop (at most ten seconds, so a broken cancel fails the test rather
// than hanging it).
struct WorkerProbe {
    std::atomic<QThread*> thread{nullptr};
    std::atomic<hk::data::DataSet*> data{nullptr};
    std::atomic<bool> stopped{false};
    hk::app::ProcedureFn fn() {
        return [this](hk::app::ProcedureContext& ctx, const hk::app::Options&) {
            thread = QThread::currentThread();
            data = &ctx.data;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < until) {
                ctx.ui.progress("Mizan düzenleniyor", -1);
                if (ctx.ui.cancelled()) {
                    stopped = true;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return hk::core::Status{};
        };
    }
};

hk::ui::ProgressWindow* progressOf(MainFrame& f) {
    const auto windows = f.findChildren<hk::ui::ProgressWindow*>();
    return windows.isEmpty() ? nullptr : windows.front();
}

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

    hk::app::ProcedureRegistry registry;
    FakeUi ui;
    MapSettings settings;
    std::unique_ptr<hk::test::ProcedureFixture> run; // data set, session and rights of the frame

    hk::ui::FrameSetup setup(std::set<int> hidden = hk::app::attributeHiddenItems()) {
        hk::ui::FrameSetup s;
        s.dataFolder = "/veri/2026  ";
        s.user = "HESAPKAR";
        s.hiddenNumbers = std::move(hidden);
        s.procedures = &registry;
        s.session = &run->session;
        s.rights = &run->rights;
        s.data = &*run->data;
        s.ui = &ui;
        s.settings = settings.access();
        return s;
    }

    void add(const std::string& name, hk::app::ProcedureFn fn,
             hk::app::Runs runs = hk::app::Runs::Here) {
        hk::app::ProcedureSpec spec;
        spec.name = name;
        spec.runs = runs;
        spec.run = std::move(fn);
        registry.add(std::move(spec));
    }

  private slots:
    void init() {
        registry = hk::app::ProcedureRegistry{};
        run = std::make_unique<hk::test::ProcedureFixture>();
        ui = FakeUi{};
        settings = MapSettings{};
    }

    void titleCutsTrailingBlanks() {
        MainFrame f(setup());
        QCOMPARE(f.windowTitle(), QStringLiteral("YTLHesapkar - /veri/2026"));
        QCOMPARE(hk::ui::frameTitle(""), QStringLiteral("YTLHesapkar - "));
        QVERIFY(f.mdiArea() != nullptr);
    }

    void statusBarFields() {
        MainFrame f(setup());
        QVERIFY(f.statusField(2)->text().endsWith(QStringLiteral("   Versiyon [3.02.008]")));
        QVERIFY(f.statusField(2)->text().size() > QStringLiteral("   Versiyon [3.02.008]").size());
        QCOMPARE(f.statusField(3)->text(), QStringLiteral("HESAPKAR"));
        // 9 December 2026 is a Wednesday.
        f.setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(14, 5, 59)); });
        QCOMPARE(f.statusField(4)->text(), QStringLiteral("Wednesday, December 9, 2026"));
        QCOMPARE(f.statusField(5)->text(), QStringLiteral("2:05 PM"));
        f.setClock([] { return QDateTime(QDate(2027, 1, 3), QTime(0, 30)); });
        QCOMPARE(f.statusField(4)->text(), QStringLiteral("Sunday, January 3, 2027"));
        QCOMPARE(f.statusField(5)->text(), QStringLiteral("12:30 AM"));
    }

    void menuTextsAndNumbers() {
        MainFrame f(setup());
        QCOMPARE(visibleBarTexts(f),
                 (QStringList{"Fiş İşlemleri", "&Raporlar", "Hesap Planı Listesi",
                              "Genel Tanımlamalar", "Düzenleme İşlemleri", "&Yazıcı Ayarları",
                              "&Pencere", "Çı&kış"}));
        const std::pair<int, const char*> items[] = {
            {1000, "Fiş İşlemleri"},        {2010, "Hesap Planı Raporu"},
            {2030, "Muavin Raporları"},     {2101, "Kasa Raporu"},
            {4900, "Kullanıcı Grup Tanımları"}, {5010, "Mizan Sil"},
            {5124, "Fiş Yılını Döneme Göre Düzenle"}, {5130, "Çı&kış"}};
        for (auto [no, text] : items) {
            QAction* a = f.action(no);
            QVERIFY2(a, qPrintable(QString::number(no)));
            QCOMPARE(a->text(), QString::fromUtf8(text));
            QCOMPARE(a->data().toInt(), no);
        }
        for (int sep : {2011, 2041, 2051, 2061, 2071, 2091, 4031, 5021, 5111})
            QVERIFY2(f.action(sep) && f.action(sep)->isSeparator(), qPrintable(QString::number(sep)));
        // Items of the "&Raporlar" menu in order, separators included.
        QMenu* reports = f.action(2000)->menu();
        QVERIFY(reports);
        QCOMPARE(reports->actions().size(), 18); // 16 numbered entries, one bare line, 2101
        QCOMPARE(reports->actions().at(2)->text(), QStringLiteral("Mizan Raporları"));
    }

    void attributeHiddenItemsAreNotShown() {
        MainFrame f(setup());
        for (int no : {2071, 2080, 2090, 5123, 5125}) QVERIFY(!f.action(no)->isVisible());
        QVERIFY(f.action(5120)->isVisible());
        QVERIFY(f.action(2070)->isVisible());
    }

    void trimmedMenuForAUserWithoutRights() {
        hk::app::RightsService none("ALI", false, [](std::string_view, int) {
            return hk::core::Result<std::optional<hk::app::RightsRow>>(std::nullopt);
        });
        MainFrame f(setup(hk::app::hiddenMenuNumbers(none, false)));
        QCOMPARE(visibleBarTexts(f), (QStringList{"&Yazıcı Ayarları", "&Pencere", "Çı&kış"}));
    }

    void unbuiltItemRaisesMessage24() {
        MainFrame f(setup());
        f.action(2060)->trigger();
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].caption), QStringLiteral("Tanımlanmamış Program."));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Program KebirRapFiltre henüz tanımlanmamış."));
        f.action(1000)->trigger();
        QCOMPARE(QString::fromStdString(ui.messages.back().text),
                 QStringLiteral("Program FisListesi henüz tanımlanmamış."));
    }

    void startItemsOpenChildrenAndSingleInstanceComesToFront() {
        MainFrame* frame = nullptr;
        add("DovizListesi", [&](hk::app::ProcedureContext&, const hk::app::Options&) {
            frame->openChild("DovizListesi", std::make_unique<QPlainTextEdit>());
            return hk::core::Status{};
        });
        add("FisListesi", [&](hk::app::ProcedureContext&, const hk::app::Options&) {
            frame->openChild("FisListesi", std::make_unique<QPlainTextEdit>(), true);
            return hk::core::Status{};
        });
        MainFrame f(setup());
        frame = &f;
        f.show();
        f.action(4030)->trigger();
        f.action(4030)->trigger();
        QCOMPARE(f.mdiArea()->subWindowList().size(), 2); // two copies may be open
        f.action(1000)->trigger();
        QMdiSubWindow* first = f.findChild("FisListesi");
        QVERIFY(first);
        f.mdiArea()->setActiveSubWindow(f.mdiArea()->subWindowList().front());
        f.action(1000)->trigger();
        QCOMPARE(f.mdiArea()->subWindowList().size(), 3);
        QCOMPARE(f.mdiArea()->activeSubWindow(), first);
        QVERIFY(ui.messages.empty());
    }

    void childRemembersItsGeometry() {
        MainFrame f(setup());
        f.resize(900, 700);
        f.show();
        QMdiSubWindow* w = f.openChild("KulGrupList", std::make_unique<QPlainTextEdit>());
        w->setGeometry(20, 30, 400, 250);
        w->close();
        QCoreApplication::processEvents();
        QCOMPARE(settings.values[std::make_pair(std::string("KulGrupList"), std::string("XPos"))], std::string("20"));
        QCOMPARE(settings.values[std::make_pair(std::string("KulGrupList"), std::string("Width"))], std::string("400"));
        QMdiSubWindow* again = f.openChild("KulGrupList", std::make_unique<QPlainTextEdit>());
        QCOMPARE(again->geometry(), QRect(20, 30, 400, 250));
        // Nonsense in the file is ignored rather than applied.
        settings.values[{"YilSonu", "XPos"}] = "1";
        settings.values[{"YilSonu", "YPos"}] = "1";
        settings.values[{"YilSonu", "Width"}] = "abc";
        settings.values[{"YilSonu", "Height"}] = "100";
        QPlainTextEdit probe;
        QVERIFY(!hk::ui::restoreWindowGeometry(&probe, settings.access(), "YilSonu"));
    }

    // A window wider and taller than the frame's area, and one whose saved position lies left of
    // and above the area, both open with their title bar and left edge inside it.
    void childLargerThanTheAreaStaysReachable() {
        MainFrame f(setup());
        f.resize(500, 400);
        f.show();
        auto wide = std::make_unique<QPlainTextEdit>();
        wide->setMinimumSize(1200, 900);
        QMdiSubWindow* w = f.openChild("FisListesi", std::move(wide));
        QVERIFY(w->x() >= 0);
        QVERIFY(w->y() >= 0);
        w->close();
        QCoreApplication::processEvents();
        settings.values[{"KulGrupList", "XPos"}] = "-300";
        settings.values[{"KulGrupList", "YPos"}] = "-40";
        settings.values[{"KulGrupList", "Width"}] = "400";
        settings.values[{"KulGrupList", "Height"}] = "200";
        QMdiSubWindow* saved = f.openChild("KulGrupList", std::make_unique<QPlainTextEdit>());
        QCOMPARE(saved->geometry(), QRect(0, 0, 400, 200));
    }

    void printerChoiceIsTitledAndCancelWritesNothing() {
        auto s = setup();
        std::vector<std::string> chosen;
        s.printerChosen = [&](const std::string& d) { chosen.push_back(d); };
        s.currentPrinter = [] { return std::string("NPQ-Kasa"); };
        MainFrame f(s);
        f.show();
        QString title;
        QTimer::singleShot(200, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) {
                    title = d->windowTitle();
                    d->reject();
                }
        });
        f.action(5128)->trigger();
        QCOMPARE(title, QStringLiteral("Printer Seçimi"));
        QVERIFY(chosen.empty());
    }

    void workerProcedureRunsOffTheGuiThreadShowsProgressAndStopsOnCancel() {
        WorkerProbe probe;
        add("YMizanDuzelt", probe.fn(), hk::app::Runs::Worker);
        MainFrame f(setup());
        f.show();
        f.action(5020)->trigger();
        QCOMPARE(f.runningProcedures(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(progressOf(f) != nullptr, 5000);
        QCOMPARE(progressOf(f)->textLabel()->text(), QStringLiteral("Mizan düzenleniyor"));
        // the frame stays usable meanwhile
        f.action(2060)->trigger();
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QTest::mouseClick(progressOf(f)->cancelButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.runningProcedures(), 0, 5000);
        QVERIFY(probe.stopped);
        QVERIFY(probe.thread != nullptr && probe.thread != QThread::currentThread());
        // its own connection: a data set of its own on the frame's folder
        QVERIFY(probe.data != nullptr && probe.data != &*run->data);
        QVERIFY(progressOf(f) == nullptr);
        QCOMPARE(ui.messages.size(), std::size_t(1)); // a stop is no failure
    }

    void workerFailureIsShownOnceWhenItEnds() {
        add(
            "YMizanDuzelt",
            [](hk::app::ProcedureContext&, const hk::app::Options&) -> hk::core::Status {
                return hk::core::Error::refused("Mizan düzenlenemedi.");
            },
            hk::app::Runs::Worker);
        MainFrame f(setup());
        f.action(5020)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.runningProcedures(), 0, 5000);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text), QStringLiteral("Mizan düzenlenemedi."));
        QCOMPARE(QString::fromStdString(ui.messages[0].caption), QStringLiteral("Hatalı işlem"));
    }

    void runProcedureCallsBackOnTheGuiThreadWhenAWorkerEnds() {
        std::atomic<QThread*> ranOn{nullptr};
        std::string argument;
        add(
            "FisSirala",
            [&](hk::app::ProcedureContext&, const hk::app::Options& o) -> hk::core::Status {
                ranOn = QThread::currentThread();
                argument = o.argument;
                return {};
            },
            hk::app::Runs::Worker);
        add(
            "Kapali",
            [](hk::app::ProcedureContext&, const hk::app::Options&) -> hk::core::Status {
                return hk::core::Error::refused("Olmadı.");
            });
        MainFrame f(setup());
        std::vector<std::pair<bool, QThread*>> calls;
        auto done = [&calls](bool ok) { calls.emplace_back(ok, QThread::currentThread()); };
        hk::app::Options o;
        o.argument = "3";
        f.runProcedure("FisSirala", o, done);
        QTRY_COMPARE_WITH_TIMEOUT(calls.size(), std::size_t(1), 5000);
        QCOMPARE(f.runningProcedures(), 0);
        QVERIFY(calls[0].first);
        QCOMPARE(calls[0].second, QThread::currentThread());
        QVERIFY(ranOn != nullptr && ranOn != QThread::currentThread());
        QCOMPARE(argument, std::string("3"));
        // A procedure of the GUI thread that fails: shown once, the caller hears "not done".
        f.runProcedure("Kapali", {}, done);
        QCOMPARE(calls.size(), std::size_t(2));
        QVERIFY(!calls[1].first);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].text, std::string("Olmadı."));
        // One nobody registered: message 24, and "not done".
        f.runProcedure("YokBoyle", {}, done);
        QCOMPARE(calls.size(), std::size_t(3));
        QVERIFY(!calls[2].first);
        QCOMPARE(ui.messages.size(), std::size_t(2));
        QVERIFY(ui.messages[1].text.find("YokBoyle") != std::string::npos);
    }

    void closingStopsRunningProceduresFirst() {
        WorkerProbe probe;
        add("YMizanDuzelt", probe.fn(), hk::app::Runs::Worker);
        MainFrame f(setup());
        f.show();
        f.action(5020)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(progressOf(f) != nullptr, 5000);
        f.close();
        QVERIFY(f.isVisible()); // not while the procedure runs
        QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000);
        QVERIFY(probe.stopped);
        QCOMPARE(f.runningProcedures(), 0);
    }

    void exitItemClosesTheFrame() {
        MainFrame f(setup());
        f.show();
        QVERIFY(f.isVisible());
        f.action(5130)->trigger();
        QVERIFY(!f.isVisible());
        QVERIFY(!settings.access().read("Main", "Width").empty());
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
