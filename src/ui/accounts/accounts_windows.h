#pragma once
// The windows of the chart of accounts and the currencies: the chart list "Hesap Planı Listesi"
// (HsPlan) and its selection lists (ListHesapPlan, ListMuavinHesapPlan, ListKebirHesapPlan), the
// account form FHsPlan, the frame-class list CsPlan with FHkCSPlan, the currency list
// DovizListesi with FDoviz and the rate form FDDoviz, the chart report's filter window
// HesapPlaniFiltreEkrani, the chart import ExcelHsPlanOku and the twelve-month view Y_Mizan12Ay.
// Every rule is accounts/'s; the windows gather input, call it and show the files.

#include "accounts/chart.h"
#include "accounts/twelve.h"
#include "app/rights.h"
#include "app/session.h"
#include "app/ui.h"
#include "data/dataset.h"
#include "output/page.h"
#include "output/sheet.h"
#include "ui/framework/browse.h"
#include "ui/framework/browse_table.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace hk::app {
class ProcedureRegistry;
}

namespace hk::ui {

class PictureEdit;
class MainFrame;

// What the account windows work with; everything outlives the windows.
struct AccountsContext {
    data::DataSet* data = nullptr;
    app::Session* session = nullptr;
    app::Ui* ui = nullptr;
    const app::RightsService* rights = nullptr;
    accounts::CopyBuffer* copy = nullptr;
    // Starts another procedure by its catalogue name (the frame-class list, the transfer).
    std::function<void(const std::string&, const std::string&)> start;
    // Opens a non-modal child window (the frame's MDI area; tests show it on its own).
    std::function<void(const std::string&, std::unique_ptr<QWidget>)> openChild;
};

// Runs a modal window; tests replace it to drive the window before it would block.
using RunDialog = std::function<int(QDialog&)>;
int execDialog(QDialog& d);

// ---- chart list and selection lists -----------------------------------------------------------

enum class ChartListKind {
    Chart,  // HsPlan: the maintenance list of menu 3000
    All,    // ListHesapPlan
    Detail, // ListMuavinHesapPlan: attribute "M" only
    Main,   // ListKebirHesapPlan: attribute "K" only
};

class HsPlanList : public QWidget {
    Q_OBJECT
  public:
    // select: opened for a choice ("S&eç" shown; double click chooses).
    HsPlanList(AccountsContext ctx, ChartListKind kind, bool select, QWidget* parent = nullptr);

    BrowsePanel* panel() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* frameButton() const { return frame_; }
    QPushButton* twelveButton() const { return twelve_; }
    QPushButton* transferButton() const { return transfer_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* closeButton() const { return close_; }
    // The account chosen with "S&eç".
    const std::optional<data::HsPlan>& chosen() const { return chosen_; }

    // The button actions (tests call them as the buttons do).
    void insertAccount();
    void changeAccount();
    void deleteAccount();
    void copyAccount();
    void transfer();
    void twelveMonths();

    RunDialog runDialog = execDialog;

  signals:
    void picked();
    void closeRequested();

  private:
    const data::HsPlan* current() const;
    bool runForm(int mode, const data::HsPlan& rec);

    AccountsContext ctx_;
    ChartListKind kind_;
    BrowsePanel* list_ = nullptr;
    QPushButton *select_ = nullptr, *frame_ = nullptr, *twelve_ = nullptr, *transfer_ = nullptr,
                *copy_ = nullptr, *close_ = nullptr;
    std::optional<data::HsPlan> chosen_;
};

// A selection list as a modal dialog; the chosen account or nothing.
std::optional<data::HsPlan> pickAccount(AccountsContext ctx, ChartListKind kind,
                                        QWidget* parent = nullptr);

// ---- account form -----------------------------------------------------------------------------

class FHsPlan : public QDialog {
    Q_OBJECT
  public:
    enum Mode { Insert, Change, Delete };
    FHsPlan(AccountsContext ctx, Mode mode, const data::HsPlan& rec, QWidget* parent = nullptr);

    // As leaving the code field does (insert only): the checks for a new code; false after a
    // refusal (shown; a missing level then stands in the code field).
    bool codeLeft();
    // As leaving the currency field does: an unknown code opens the currency list.
    bool currencyLeft();
    void attributeChanged();
    // The save button ("Giriş", "Değiştir" or "Sil").
    void trySave();

    PictureEdit *code = nullptr, *name1 = nullptr, *name2 = nullptr, *unit = nullptr,
                *currency = nullptr;
    QComboBox* attribute = nullptr;
    QPushButton *lookup = nullptr, *save = nullptr, *exit = nullptr;
    // Chooses a currency (the currency list in selection mode); replaceable in tests.
    std::function<std::optional<data::Doviz>()> pickCurrency;

  private:
    data::HsPlan collect() const;
    void show(const data::HsPlan& r);
    std::string attributeLetter() const;

    AccountsContext ctx_;
    Mode mode_;
    data::HsPlan original_;
};

// ---- frame classes ----------------------------------------------------------------------------

class CsPlanList : public QWidget {
    Q_OBJECT
  public:
    CsPlanList(AccountsContext ctx, QWidget* parent = nullptr);
    BrowsePanel* panel() const { return list_; }
    RunDialog runDialog = execDialog;

  private:
    AccountsContext ctx_;
    BrowsePanel* list_ = nullptr;
};

class FHkCSPlan : public QDialog {
    Q_OBJECT
  public:
    FHkCSPlan(AccountsContext ctx, bool insert, const data::CsPlan& rec, QWidget* parent = nullptr);
    void trySave();
    PictureEdit *code = nullptr, *name = nullptr;
    QPushButton *ok = nullptr, *exit = nullptr;

  private:
    AccountsContext ctx_;
    bool insert_;
    data::CsPlan original_;
};

// ---- currencies -------------------------------------------------------------------------------

class DovizListesi : public QWidget {
    Q_OBJECT
  public:
    DovizListesi(AccountsContext ctx, bool select, QWidget* parent = nullptr);
    BrowsePanel* panel() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    const std::optional<data::Doviz>& chosen() const { return chosen_; }
    RunDialog runDialog = execDialog;

  signals:
    void picked();
    void closeRequested();

  private:
    AccountsContext ctx_;
    BrowsePanel* list_ = nullptr;
    QPushButton *select_ = nullptr, *exit_ = nullptr;
    std::optional<data::Doviz> chosen_;
};

std::optional<data::Doviz> pickCurrency(AccountsContext ctx, QWidget* parent = nullptr);

class FDoviz : public QDialog {
    Q_OBJECT
  public:
    enum Mode { Insert, Change, Delete };
    FDoviz(AccountsContext ctx, Mode mode, const data::Doviz& rec, QWidget* parent = nullptr);
    void trySave();
    PictureEdit *code = nullptr, *name = nullptr;
    BrowsePanel* rates = nullptr;
    QPushButton *ok = nullptr, *exit = nullptr;
    RunDialog runDialog = execDialog;

  private:
    void followCode();
    AccountsContext ctx_;
    Mode mode_;
    data::Doviz original_;
    std::shared_ptr<TableSource<data::DDoviz>> source_;
};

class FDDoviz : public QDialog {
    Q_OBJECT
  public:
    FDDoviz(AccountsContext ctx, bool insert, const data::DDoviz& rec, QWidget* parent = nullptr);
    void trySave();
    PictureEdit *code = nullptr, *date = nullptr, *rate = nullptr;
    QPushButton *ok = nullptr, *cancel = nullptr;

  private:
    AccountsContext ctx_;
    bool insert_;
    data::DDoviz original_;
};

// ---- chart report, import, twelve months -----------------------------------------------------

class HesapPlaniFiltreEkrani : public QDialog {
    Q_OBJECT
  public:
    HesapPlaniFiltreEkrani(AccountsContext ctx, QWidget* parent = nullptr);
    void run();
    PictureEdit *from = nullptr, *to = nullptr, *date = nullptr;
    QCheckBox* excel = nullptr;
    QPushButton *fromLookup = nullptr, *toLookup = nullptr, *runButton = nullptr, *exit = nullptr;
    // Where the printed report goes (the preview in the program; tests collect the pages).
    std::function<void(const output::Document&)> showDocument;
    // Where the workbook goes (a new workbook opened in the spreadsheet application).
    std::function<core::Status(const output::Sheet&)> showSheet;
    std::function<std::optional<data::HsPlan>()> pick;

  private:
    bool resolve(PictureEdit* field);
    AccountsContext ctx_;
};

class ExcelHsPlanOku : public QDialog {
    Q_OBJECT
  public:
    ExcelHsPlanOku(AccountsContext ctx, QWidget* parent = nullptr);
    void read();
    QPushButton *start = nullptr, *exit = nullptr;
    QLabel* progress = nullptr;

  private:
    AccountsContext ctx_;
};

class Y_Mizan12Ay : public QDialog {
    Q_OBJECT
  public:
    // Empty when the account does not exist: the window does not open.
    static std::unique_ptr<Y_Mizan12Ay> open(AccountsContext ctx, const std::string& code,
                                             QWidget* parent = nullptr);
    QTabBar* tabs = nullptr;
    QLabel* caption = nullptr;
    QTableWidget* grid = nullptr;
    QPushButton* exit = nullptr;
    void showMeasure(accounts::Measure m);

  private:
    Y_Mizan12Ay(AccountsContext ctx, data::HsPlan account, std::string currencyName,
                QWidget* parent);
    AccountsContext ctx_;
    data::HsPlan account_;
    std::string currencyName_;
    std::vector<accounts::Measure> measures_;
};

// Registers HsPlan, CsPlan, DovizListesi, HesapPlaniFiltreEkrani, ExcelHsPlanOku; Y_Mizan12Ay
// (argument: the account code), the selection lists and FisDovizDüzelt (message 24 until
// voucher posting can serve it).
void registerAccountWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
