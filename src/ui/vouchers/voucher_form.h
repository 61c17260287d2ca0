#pragma once
// The voucher form FHkFisBas (header, line list, save) and its line form FHkFisDet, with the
// small dialogs they open: "Tahsil&Tediye Kapa Ekranı" (TahsilTediyeKapa), "Ek Fiş Açıklaması"
// (SerbestYazi), "Kdv Onay Ekranı" (KdvOnayla) and the calculator "Hesap Makinası". The lines
// are edited in a memory work file; every rule (numbering, checks, posting, line numbering,
// sorting, the VAT split, the spreadsheets) is vouchers/'s, the windows gather input and call it.

#include "app/rights.h"
#include "app/session.h"
#include "app/ui.h"
#include "data/dataset.h"
#include "data/records.h"
#include "ui/accounts/accounts_windows.h"
#include "vouchers/entry.h"
#include "vouchers/voucher.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTableView;

namespace hk::app {
class ProcedureRegistry;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

// Values remembered for the whole run and shared by every voucher form: the last account and
// description entered in a line.
struct EntryMemory {
    std::string lastAccount, lastDescription;
};

struct VoucherFormContext {
    data::DataSet* data = nullptr;
    app::Session* session = nullptr;
    app::Ui* ui = nullptr;
    const app::RightsService* rights = nullptr;
    EntryMemory* memory = nullptr;
    // Runs every modal window the forms open (line form, small dialogs, the twelve-month view);
    // tests replace it to drive the window before it would block.
    RunDialog runDialog = execDialog;
    // Choosers: a detail account (ListMuavinHesapPlan), any account (the VAT account), a
    // standard description (FisAck) and an attribute ("Fiş Nitelik Listesi"). Empty = the
    // program's own lists.
    std::function<std::optional<data::HsPlan>(bool detailOnly)> pickAccount;
    std::function<std::optional<std::string>()> pickDescription;
    std::function<std::optional<std::string>()> pickAttribute;
    // Starts another procedure by its catalogue name (the voucher print "FisYaz").
    std::function<void(const std::string&, const std::string&)> start;
    // Where "Excel" writes the lines: empty = a new workbook opened in the spreadsheet program.
    std::string exportTarget;
};

// What a line form works against: the voucher it belongs to.
struct LineFormState {
    char type = 'M';
    core::Date date;
    int fiscalMonth = 1;
    data::Yasal company;
    double difference = 0; // the voucher's TL debit total - credit total
    int current = 0;       // the highlighted line's number
    // The form makes the cash line of a Tahsil/Tediye voucher itself on save (a new voucher, or
    // a company that closes them automatically): the cash side is then not typed.
    bool cashByForm = true;
    std::int32_t karsitNo = 100;
};

// Cuts the fields' leave rules off a window that is closing for good.
void detachFields(QWidget* w);
// Enter in an entry field moves to the next field, as in every entry form of the program; true
// when the key was taken.
bool enterMovesOn(QWidget* w, QKeyEvent* e);

// ---- the line form ----------------------------------------------------------------------------

class FHkFisDet : public QDialog {
    Q_OBJECT
  public:
    FHkFisDet(VoucherFormContext& ctx, LineFormState state, data::FisDet line, bool insert,
              QWidget* parent = nullptr);
    ~FHkFisDet() override;

    // The field rules, run when a field is left (tests call them as leaving the field does).
    bool codeLeft();
    void descriptionLeft();
    void tlDebitLeft();
    void tlCreditLeft();
    void fxDebitLeft();
    void fxCreditLeft();
    void fxSideLeft(PictureEdit* fx, PictureEdit* tl, void (FHkFisDet::*tlLeft)());
    void subDebitLeft();
    void subCreditLeft();
    // The buttons.
    void pickDescription();
    void takeDifference();
    void previousLine();
    void calculator();
    void twelveMonths();
    void vat(int i); // 1..5
    void confirm();  // OK

    // After acceptance: the lines to insert in order (the line, and after a VAT split the VAT
    // line); `keepAckNo` for the net line of a split, which carries MFB:KARSITNO.
    struct Produced {
        data::FisDet line;
        bool keepAckNo = false;
    };
    const std::vector<Produced>& produced() const { return produced_; }
    // MFB:KARSITNO after the splits made here.
    std::int32_t karsitNo() const { return state_.karsitNo; }

    PictureEdit *code = nullptr, *description = nullptr, *tlDebit = nullptr, *tlCredit = nullptr,
                *fxDebit = nullptr, *fxCredit = nullptr, *subDebit = nullptr, *subCredit = nullptr;
    QLabel *names = nullptr, *balance = nullptr;
    std::array<QPushButton*, 5> vatButtons{};
    QPushButton *lookup = nullptr, *descriptionLookup = nullptr, *difference = nullptr,
                *previous = nullptr, *calc = nullptr, *twelve = nullptr, *ok = nullptr,
                *cancel = nullptr;
    // The amount field that last had the focus (the calculator's target).
    PictureEdit* lastAmountField() const { return lastAmount_; }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override; // Enter moves to the next field

  private:
    data::FisDet collect() const;
    void showAmounts(const data::FisDet& l);
    void refreshStates();
    void refreshVat();
    bool readAccount(const std::string& code);
    std::optional<double> rate();
    double value(PictureEdit* f) const;

    VoucherFormContext& ctx_;
    LineFormState state_;
    data::FisDet line_;
    bool insert_;
    std::optional<data::HsPlan> account_;
    PictureEdit* lastAmount_ = nullptr;
    std::vector<Produced> produced_;
    bool convertingFx_ = false;
};

// ---- small dialogs ----------------------------------------------------------------------------

// "Tahsil&Tediye Kapa Ekranı": the cash account and the cash-line description.
class TahsilTediyeKapa : public QDialog {
    Q_OBJECT
  public:
    TahsilTediyeKapa(const vouchers::CashChoice& c, QWidget* parent = nullptr);
    vouchers::CashChoice choice() const;
    PictureEdit *account = nullptr, *description = nullptr;
    QPushButton *ok = nullptr, *cancel = nullptr;
};

// "Ek Fiş Açıklaması": ten lines of 35 characters.
class SerbestYazi : public QDialog {
    Q_OBJECT
  public:
    SerbestYazi(const std::array<std::string, 10>& slots, QWidget* parent = nullptr);
    std::array<std::string, 10> texts() const;
    std::array<PictureEdit*, 10> lines{};
    QPushButton *ok = nullptr, *cancel = nullptr;
};

// "Kdv Onay Ekranı": net, VAT and account of a split, changeable; the gross shown.
class KdvOnayla : public QDialog {
    Q_OBJECT
  public:
    KdvOnayla(VoucherFormContext& ctx, double net, double vat, double gross, std::string account,
              QWidget* parent = nullptr);
    ~KdvOnayla() override;
    void netLeft();
    void vatLeft();
    bool codeLeft();
    void confirm();
    double net() const;
    double vatAmount() const;
    std::string account() const;
    PictureEdit *code = nullptr, *netField = nullptr, *vatField = nullptr;
    QLabel* gross = nullptr;
    QPushButton *lookup = nullptr, *ok = nullptr, *cancel = nullptr;

  private:
    VoucherFormContext& ctx_;
    double gross_;
};

// "Hesap Makinası": a plain arithmetic calculator (+ - * / and brackets).
class Calculator : public QDialog {
    Q_OBJECT
  public:
    explicit Calculator(QWidget* parent = nullptr);
    // The value of the typed expression; nullopt when it cannot be worked out.
    std::optional<double> value() const;
    QLineEdit* expression = nullptr;
    QLabel* shown = nullptr;
    QPushButton *ok = nullptr, *cancel = nullptr;
};
// The arithmetic of the calculator (exposed for tests).
std::optional<double> calculate(const std::string& expression);

// ---- the voucher form -------------------------------------------------------------------------

class WorkLinesModel;

class FHkFisBas : public QDialog {
    Q_OBJECT
  public:
    // key empty: a new voucher of the working month; else the voucher to change.
    FHkFisBas(VoucherFormContext ctx, const std::string& key, QWidget* parent = nullptr);
    ~FHkFisBas() override;

    bool opened() const { return opened_; }
    bool insertMode() const { return draft_.mode == vouchers::Mode::Insert; }
    const vouchers::Lines& lines() const { return lines_; }
    const std::string& workFileName() const { return work_.name(); }
    std::string title() const;
    // The key of the voucher saved (empty until a save succeeded).
    const std::string& savedKey() const { return saved_; }

    // Header rules.
    bool dayLeft();
    void typeChanged();
    bool attributeLeft();
    void clearDocument();

    // The line list's buttons; the highlighted line is selectLine's.
    void selectLine(int row);
    void newLine(bool copy = false);
    void changeLine();
    void deleteLine();
    void extraDescription();
    void sortLines();
    void exportLines();
    void readExcel();
    // Saving ("Kaydet"; with print = "Kaydet Yaz") and leaving ("Çıkış").
    bool trySave(bool print = false);
    void leave();

    PictureEdit *day = nullptr, *attribute = nullptr, *documentNo = nullptr,
                *documentDate = nullptr, *documentDescription = nullptr, *paymentType = nullptr;
    QComboBox *type = nullptr, *documentType = nullptr;
    QLabel *titleLine = nullptr, *totals = nullptr;
    QTableView* table = nullptr;
    QPushButton *attributeLookup = nullptr, *clear = nullptr, *insertButton = nullptr,
                *copyButton = nullptr, *changeButton = nullptr, *deleteButton = nullptr,
                *describeButton = nullptr, *sortButton = nullptr, *excelButton = nullptr,
                *excelReadButton = nullptr, *saveButton = nullptr, *savePrintButton = nullptr,
                *exitButton = nullptr;

  protected:
    void reject() override; // Escape and the window's close go through leave()
    void keyPressEvent(QKeyEvent* e) override; // Enter moves to the next field

  private:
    bool load(const std::string& key);
    void showLines();
    void storeLines();
    int currentLine() const;
    const data::FisDet* highlighted() const;
    bool runLineForm(data::FisDet line, bool insert);
    void lockHeader();
    void refreshTitle();
    void collectHeader();
    void storageFailure(const core::Error& e);

    VoucherFormContext ctx_;
    data::Yasal company_;
    vouchers::Draft draft_;
    vouchers::WorkFile work_;
    vouchers::Lines lines_;
    WorkLinesModel* model_ = nullptr;
    bool opened_ = false, leaving_ = false, readOnly_ = false;
    std::string saved_;
};

// Registers FHkFisBas (argument: the voucher key, empty for a new voucher): one voucher form at
// a time, modal over the list that opened it.
void registerVoucherForm(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
