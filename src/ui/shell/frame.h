#pragma once
// The main frame: title, MDI area, status bar with the clock, and the main menu built from the
// menu table (app/catalogue.h). Every item runs its procedure through the procedure registry
// (app/procedure.h); the frame itself handles only the printer choice, the window list and the
// exit.
//
// A procedure registered as Runs::Here runs on the GUI thread with the frame's data set (window
// procedures open their window and return). A Runs::Worker procedure runs on a thread of its own,
// on a data set of its own opened on the same folder (one connection per thread), with a Ui of
// its own whose progress window carries the cancel button; the frame stays usable meanwhile and
// shows the procedure's failure, if any, when it ends. The frame does not close under a running
// procedure: closing asks every one to stop and closes when the last has ended.

#include "app/catalogue.h"
#include "app/procedure.h"
#include "app/ui.h"
#include "ui/framework/geometry.h"

#include <QDateTime>
#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace hk::data {
class DataSet;
}

namespace hk::ui {

struct FrameSetup {
    std::string dataFolder;          // VeriYolu
    std::string user;                // AktifKullanici
    std::set<int> hiddenNumbers;     // from app::hiddenMenuNumbers
    // What the items' procedures run with; an item whose procedure is not registered (or a frame
    // without these) raises message 24.
    const app::ProcedureRegistry* procedures = nullptr;
    app::Session* session = nullptr;
    const app::RightsService* rights = nullptr;
    data::DataSet* data = nullptr;
    app::Ui* ui = nullptr;
    SettingsAccess settings;
    // YaziciAdi: the printer the choice dialog starts on.
    std::function<std::string()> currentPrinter;
    // Called with the chosen device when the user confirms the printer choice.
    std::function<void(const std::string&)> printerChosen;
};

class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainFrame(FrameSetup setup, QWidget* parent = nullptr);
    ~MainFrame() override;

    QMdiArea* mdiArea() const { return mdi_; }
    // The action of a menu number (items, separators and whole menus); null when none.
    QAction* action(int menuNumber) const;
    QLabel* statusField(int field) const; // 1..5

    // Where the menu items' messages go (the frame's own Ui, made once the frame exists).
    void setUi(app::Ui* ui);

    // Hides exactly these menu numbers (the rights trimming of the start-up); shows the rest.
    void setHiddenNumbers(const std::set<int>& hidden);

    // Runs the item of that number as if chosen from the menu.
    void trigger(int menuNumber);

    // Runs a registered procedure as a menu item would (a Runs::Worker one on a thread of its own
    // with its progress window, any other here) and calls `done` on the GUI thread when it has
    // ended, with whether it succeeded; its failure has been shown by then. Windows use it for
    // their long tools so the frame stays usable and the window can refresh afterwards.
    void runProcedure(const std::string& name, app::Options options,
                      std::function<void(bool ok)> done = {});

    // Procedures running on worker threads right now.
    int runningProcedures() const { return static_cast<int>(workers_.size()); }
    // The context the frame's own (GUI-thread) procedures run with; null when the frame was set
    // up without one.
    app::ProcedureContext* context() { return ctx_.get(); }

    // Puts a window into the MDI area as a non-modal child that remembers its geometry under
    // procedure. With singleInstance, an open window of the same procedure is brought to the
    // front instead and w is discarded (returns the open one).
    QMdiSubWindow* openChild(const std::string& procedure, std::unique_ptr<QWidget> w,
                             bool singleInstance = false);
    // The open child of that procedure, if any.
    QMdiSubWindow* findChild(const std::string& procedure) const;
    // Brings the open child of procedure to the front; false when none is open.
    bool raiseChild(const std::string& procedure);

    // The clock source of fields 4 and 5 (tests pin it); refreshClock() redraws them.
    void setClock(std::function<QDateTime()> clock);
    void refreshClock();

    static QString weekdayAndDate(const QDate& d);
    static QString timeOfDay(const QTime& t);

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildMenu();
    void buildStatusBar();
    void fillWindowMenu();
    void choosePrinter();
    void runItem(const app::MenuEntry& entry);
    struct WorkerRun;
    void startWorker(const app::ProcedureSpec& spec, app::Options options,
                     std::function<void(bool)> done = {});
    void finishWorker(WorkerRun* run);
    void stopWorkers();
    void makeContext();

    FrameSetup setup_;
    QMdiArea* mdi_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::map<int, QAction*> actions_;
    QLabel* fields_[5] = {};
    QTimer* clockTimer_ = nullptr;
    std::function<QDateTime()> clock_;
    std::unique_ptr<app::ProcedureContext> ctx_;
    std::vector<std::unique_ptr<WorkerRun>> workers_;
    bool closeWhenIdle_ = false;
};

// "YTLHesapkar - " and the data folder without its trailing blanks.
QString frameTitle(const std::string& dataFolder);
// Field 2 of the status bar: maker text, "   Versiyon [", the program version, "]".
QString makerAndVersion();

} // namespace hk::ui
