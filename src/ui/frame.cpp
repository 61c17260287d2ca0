#include "ui/frame.h"

#include "ui/login.h"

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
#include <QTimer>

namespace hk::ui {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const kProcedureProperty = "hkProcedure";
// Section of the settings file holding the frame's own geometry.
const char* const kFrameSection = "Main";

} // namespace

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
}

MainFrame::~MainFrame() = default;

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
    if (!setup_.catalogue || !setup_.ui) return;
    // "Start" procedures open a non-modal child window through openChild() and return at once;
    // "Call" procedures are modal and return when done. Long-running procedures are to move to
    // a worker thread here (QtUi already carries their messages back to this thread).
    try {
        app::runMenuEntry(e, *setup_.catalogue, *setup_.ui);
    } catch (const app::ProgramEnd& end) {
        // A fatal message was shown: the program ends here, through the event loop rather than
        // by letting the exception cross it.
        QCoreApplication::exit(end.exitCode());
    }
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
    return sub;
}

void MainFrame::closeEvent(QCloseEvent* e) {
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) { // a child refused to close (unsaved work)
        e->ignore();
        return;
    }
    saveWindowGeometry(this, setup_.settings, kFrameSection);
    e->accept();
}

} // namespace hk::ui
