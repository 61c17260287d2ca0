#include "ui/shell/frame.h"
#include "ui/framework/procedure_runner.h"

#include "ui/shell/login.h"
#include "ui/framework/qtui.h"

#include "app/rights_data.h"
#include "app/users.h"
#include "data/dataset.h"

#include "app/message.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace hk::ui {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const kProcedureProperty = "hkProcedure";
// Section of the settings file holding the frame's own geometry.
const char* const kFrameSection = "Main";

} // namespace

// One procedure running off the GUI thread, with everything it works on: its own connection to
// the data folder, its own rights lookup on that connection, and its own Ui (progress window and
// cancel). Owned by the frame until the thread has ended.
struct MainFrame::WorkerRun {
    std::string procedure;
    std::unique_ptr<QtUi> ui;
    std::optional<data::DataSet> data;
    std::optional<app::users::SecurityFiles> security;
    std::optional<app::RightsService> rights;
    std::unique_ptr<QThread> thread;
    core::Status result;
    std::optional<int> programEnd; // exit code, when a fatal message ended the program
    std::function<void(bool)> done; // the starter's follow-up, on the GUI thread
};

QString frameTitle(const std::string& dataFolder) {
    QString folder = q(dataFolder);
    while (folder.endsWith(QLatin1Char(' '))) folder.chop(1);
    return QStringLiteral("YTLHesapkar - ") + folder;
}

QString makerAndVersion() {
    return QStringLiteral("Hesapkar Genel Muhasebe") + QStringLiteral("   Versiyon [") +
           q(versionText(kProgramVersion)) + QStringLiteral("]");
}

QString MainFrame::weekdayAndDate(const QDate& d) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    return en.dayName(d.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(", ") +
           en.toString(d, QStringLiteral("MMMM d, yyyy"));
}

QString MainFrame::timeOfDay(const QTime& t) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(t, QStringLiteral("h:mm AP"));
}

MainFrame::MainFrame(FrameSetup setup, QWidget* parent)
    : QMainWindow(parent), setup_(std::move(setup)), clock_([] { return QDateTime::currentDateTime(); }) {
    setWindowTitle(frameTitle(setup_.dataFolder));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenu();
    buildStatusBar();
    resize(1024, 700);
    restoreWindowGeometry(this, setup_.settings, kFrameSection);
    makeContext();
}

void MainFrame::makeContext() {
    ctx_.reset();
    if (setup_.session && setup_.rights && setup_.data && setup_.ui)
        ctx_ = std::make_unique<app::ProcedureContext>(
            app::ProcedureContext{*setup_.session, *setup_.ui, *setup_.rights, *setup_.data});
}

void MainFrame::setUi(app::Ui* ui) {
    setup_.ui = ui;
    makeContext();
}

MainFrame::~MainFrame() {
    stopWorkers();
}

void MainFrame::stopWorkers() {
    // Taken out first: their queued ends find nothing to collect any more.
    std::vector<std::unique_ptr<WorkerRun>> running = std::move(workers_);
    workers_.clear();
    for (auto& w : running) w->ui->cancel();
    // A worker may be waiting for an answer from this thread: keep serving it while waiting.
    for (auto& w : running)
        while (!w->thread->wait(10)) QCoreApplication::processEvents();
}

void MainFrame::buildMenu() {
    std::map<int, QMenu*> menus;
    for (const app::MenuEntry& e : app::mainMenu()) {
        QAction* a = nullptr;
        QMenu* holder = e.parent ? menus.at(e.parent) : nullptr;
        switch (e.kind) {
        case app::MenuKind::Menu: {
            QMenu* m = menuBar()->addMenu(q(e.text));
            // A separator whose group kept an item stays even at the top of a trimmed menu.
            m->setSeparatorsCollapsible(false);
            menus[e.number] = m;
            a = m->menuAction();
            if (e.number == 5129) windowMenu_ = m;
            break;
        }
        case app::MenuKind::Item:
            a = holder ? holder->addAction(q(e.text)) : menuBar()->addAction(q(e.text));
            connect(a, &QAction::triggered, this, [this, &e] { runItem(e); });
            break;
        case app::MenuKind::Separator:
            a = holder->addSeparator();
            break;
        }
        a->setData(e.number);
        if (e.number != 0) {
            actions_[e.number] = a;
            a->setVisible(setup_.hiddenNumbers.count(e.number) == 0);
        }
    }
    if (windowMenu_) connect(windowMenu_, &QMenu::aboutToShow, this, &MainFrame::fillWindowMenu);
    fillWindowMenu();
}

void MainFrame::fillWindowMenu() {
    if (!windowMenu_) return;
    windowMenu_->clear();
    windowMenu_->addAction(QStringLiteral("&Yan Yana Diz"), mdi_, &QMdiArea::tileSubWindows);
    windowMenu_->addAction(QStringLiteral("&Basamakla"), mdi_, &QMdiArea::cascadeSubWindows);
    const auto windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    windowMenu_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        ++n;
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    }
}

void MainFrame::buildStatusBar() {
    for (int i = 0; i < 5; ++i) {
        fields_[i] = new QLabel(this);
        fields_[i]->setObjectName(QStringLiteral("statusField%1").arg(i + 1));
        if (i == 0)
            statusBar()->addWidget(fields_[i], 1);
        else
            statusBar()->addPermanentWidget(fields_[i]);
    }
    fields_[1]->setText(makerAndVersion());
    fields_[2]->setText(q(setup_.user));
    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &MainFrame::refreshClock);
    clockTimer_->start();
    refreshClock();
}

void MainFrame::setClock(std::function<QDateTime()> clock) {
    clock_ = std::move(clock);
    refreshClock();
}

void MainFrame::refreshClock() {
    const QDateTime now = clock_();
    fields_[3]->setText(weekdayAndDate(now.date()));
    fields_[4]->setText(timeOfDay(now.time()));
}

void MainFrame::setHiddenNumbers(const std::set<int>& hidden) {
    setup_.hiddenNumbers = hidden;
    for (auto& [number, a] : actions_) a->setVisible(hidden.count(number) == 0);
}

QAction* MainFrame::action(int menuNumber) const {
    auto it = actions_.find(menuNumber);
    return it == actions_.end() ? nullptr : it->second;
}

QLabel* MainFrame::statusField(int field) const {
    return field >= 1 && field <= 5 ? fields_[field - 1] : nullptr;
}

void MainFrame::trigger(int menuNumber) {
    if (const app::MenuEntry* e = app::findMenuEntry(menuNumber)) runItem(*e);
}

void MainFrame::runItem(const app::MenuEntry& e) {
    if (e.mode == app::RunMode::Frame) {
        if (e.number == 5128) choosePrinter();
        if (e.number == 5130) close();
        return;
    }
    if (!setup_.ui) return;
    try {
        if (!app::confirmMenuEntry(e, *setup_.ui)) return;
        const app::ProcedureSpec* spec =
            setup_.procedures ? setup_.procedures->find(e.procedure) : nullptr;
        if (!spec || !spec->run || !ctx_) {
            app::raiseNotBuilt(*setup_.ui, e.procedure);
            return;
        }
        app::Options o;
        o.argument = e.argument;
        if (spec->runs == app::Runs::Worker) {
            startWorker(*spec, std::move(o));
            return;
        }
        if (auto st = spec->run(*ctx_, o); !st) app::reportFailure(*setup_.ui, st.error());
    } catch (const app::ProgramEnd& end) {
        // A fatal message was shown: the program ends here, through the event loop rather than
        // by letting the exception cross it.
        QCoreApplication::exit(end.exitCode());
    }
}

void MainFrame::runProcedure(const std::string& name, app::Options options,
                             std::function<void(bool)> done) {
    const app::ProcedureSpec* spec = setup_.procedures ? setup_.procedures->find(name) : nullptr;
    try {
        if (!spec || !spec->run || !ctx_ || !setup_.ui) {
            if (setup_.ui) app::raiseNotBuilt(*setup_.ui, name);
            if (done) done(false);
            return;
        }
        if (spec->runs == app::Runs::Worker) {
            startWorker(*spec, std::move(options), std::move(done));
            return;
        }
        auto st = spec->run(*ctx_, options);
        if (!st) app::reportFailure(*setup_.ui, st.error());
        if (done) done(st.ok());
    } catch (const app::ProgramEnd& end) {
        QCoreApplication::exit(end.exitCode());
    }
}

void MainFrame::startWorker(const app::ProcedureSpec& spec, app::Options options,
                            std::function<void(bool)> done) {
    auto run = std::make_unique<WorkerRun>();
    run->procedure = spec.name;
    run->done = std::move(done);
    // Opened here, so a folder that cannot be opened is reported before anything starts.
    auto ds = data::DataSet::open(ctx_->data.locations());
    if (!ds) {
        app::reportFailure(*setup_.ui, ds.error(), 23);
        if (run->done) run->done(false);
        return;
    }
    run->data.emplace(std::move(ds.value()));
    auto security = app::users::open(run->data->data());
    if (!security) {
        app::reportFailure(*setup_.ui, security.error(), 23);
        if (run->done) run->done(false);
        return;
    }
    run->security.emplace(std::move(security.value()));
    run->rights.emplace(ctx_->rights.user(), ctx_->rights.master(),
                        app::userRightsLookup(run->security->userRights));
    run->ui = std::make_unique<QtUi>(this);
    WorkerRun* r = run.get();
    app::Session& session = ctx_->session;
    r->thread.reset(QThread::create([r, &spec, &session, o = std::move(options)] {
        app::ProcedureContext ctx{session, *r->ui, *r->rights, *r->data};
        try {
            r->result = spec.run(ctx, o);
        } catch (const app::ProgramEnd& end) {
            r->programEnd = end.exitCode();
        }
    }));
    connect(r->thread.get(), &QThread::finished, this, [this, r] { finishWorker(r); },
            Qt::QueuedConnection);
    workers_.push_back(std::move(run));
    r->thread->start();
}

void MainFrame::finishWorker(WorkerRun* r) {
    auto it = std::find_if(workers_.begin(), workers_.end(),
                           [r](const auto& w) { return w.get() == r; });
    if (it == workers_.end()) return; // already collected by stopWorkers()
    r->thread->wait();
    std::unique_ptr<WorkerRun> done = std::move(*it);
    workers_.erase(it);
    done->ui->progressDone();
    if (done->programEnd) {
        QCoreApplication::exit(*done->programEnd);
        return;
    }
    if (!done->result && setup_.ui) {
        try {
            app::reportFailure(*setup_.ui, done->result.error());
        } catch (const app::ProgramEnd& end) {
            QCoreApplication::exit(end.exitCode());
            return;
        }
    }
    if (done->done) done->done(done->result.ok());
    if (closeWhenIdle_ && workers_.empty()) close();
}

void MainFrame::choosePrinter() {
    QPrinter printer;
    if (setup_.currentPrinter) {
        const std::string current = setup_.currentPrinter();
        if (!current.empty()) printer.setPrinterName(q(current));
    }
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Printer Seçimi"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (setup_.printerChosen) setup_.printerChosen(printer.printerName().toStdString());
}

QMdiSubWindow* MainFrame::findChild(const std::string& procedure) const {
    const QString name = q(procedure);
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->property(kProcedureProperty).toString() == name) return w;
    return nullptr;
}

bool MainFrame::raiseChild(const std::string& procedure) {
    QMdiSubWindow* w = findChild(procedure);
    if (!w) return false;
    if (w->isMinimized()) w->showNormal();
    mdi_->setActiveSubWindow(w);
    w->raise();
    return true;
}

QMdiSubWindow* MainFrame::openChild(const std::string& procedure, std::unique_ptr<QWidget> w,
                                    bool singleInstance) {
    if (singleInstance && raiseChild(procedure)) return findChild(procedure);
    QMdiSubWindow* sub = mdi_->addSubWindow(w.release()); // the MDI area owns it from here
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setProperty(kProcedureProperty, q(procedure));
    rememberGeometry(sub, setup_.settings, procedure);
    sub->show();
    // The area places a window wider or taller than itself partly above or left of its origin,
    // where no scroll bar reaches (and a position saved from such a window would bring it back):
    // keep the title bar and the left edge inside.
    if (sub->x() < 0 || sub->y() < 0) sub->move(std::max(0, sub->x()), std::max(0, sub->y()));
    return sub;
}

void MainFrame::closeEvent(QCloseEvent* e) {
    if (!workers_.empty()) {
        // Stopping is the procedures' own business (they stop at a consistent point); the frame
        // closes when the last one has ended.
        for (auto& w : workers_) w->ui->cancel();
        closeWhenIdle_ = true;
        e->ignore();
        return;
    }
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) { // a child refused to close (unsaved work)
        e->ignore();
        return;
    }
    saveWindowGeometry(this, setup_.settings, kFrameSection);
    e->accept();
}

} // namespace hk::ui

namespace hk::ui {

RunProcedure frameRunner(MainFrame& frame) {
    return [&frame](const std::string& name, app::Options o, std::function<void(bool)> done) {
        frame.runProcedure(name, std::move(o), std::move(done));
    };
}

} // namespace hk::ui
