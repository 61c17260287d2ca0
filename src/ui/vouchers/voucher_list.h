#pragma once
// The voucher list "Fiş Listesi" (FisListesi) and the windows of its tools: copy ("Fiş Kopyala
// Ekranı"), voucher transfer ("Fiş Transfer Ekranı"), journal-number removal ("Yevmiye No
// Kaldır"), and the maintenance windows started from the menu and the chart list: account
// transfer ("Hesap Planı Transfer Ekranı"), in-voucher sort ("Fiş İçi Sırala Ekranı") and the
// voucher-line export ("Fis Detay Satırlarının Excel Aktarılması"). Every rule is vouchers/'s.

#include "app/rights.h"
#include "app/session.h"
#include "app/ui.h"
#include "data/dataset.h"
#include "ui/framework/browse.h"
#include "ui/framework/procedure_runner.h"
#include "vouchers/voucher_lists.h"

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QComboBox;

namespace hk::app {
class ProcedureRegistry;
}

namespace hk::ui {

class MainFrame;

// Runs a modal window; tests replace it to drive the window before it would block.
using RunModal = std::function<int(QDialog&)>;

struct VoucherListContext {
    data::DataSet* data = nullptr;
    app::Session* session = nullptr;
    app::Ui* ui = nullptr;
    const app::RightsService* rights = nullptr;
    // Opens the voucher form: an empty key for a new voucher, else the voucher to change. True
    // when something was saved.
    std::function<bool(const std::string& key)> openForm;
    // Starts another procedure by its catalogue name (print, bulk print).
    std::function<void(const std::string&, const std::string&)> start;
    RunModal runModal;
    // The attribute list "Fiş Nitelik Listesi" for a choice (the transfer window's attribute);
    // unset: an unknown attribute is refused as bad input.
    std::function<std::optional<std::string>()> chooseAttribute;
    // Runs a registered procedure (the long tools: off the GUI thread with the progress window)
    // and calls back when it has ended; unset: the tools run here, on the calling thread.
    RunProcedure runProcedure;
};

class FisListesi : public QWidget {
    Q_OBJECT
  public:
    explicit FisListesi(VoucherListContext ctx, QWidget* parent = nullptr);

    void selectMonth(int m);          // a month button
    void selectType(char type);       // a type button (' ' = Hepsi)
    void setWholeYear(bool on);       // the "Bütün Yıl" action
    int month() const { return query_.month; }
    const vouchers::ListQuery& query() const { return query_; }
    vouchers::ListTotals totals() const { return totals_; }

    BrowsePanel* panel() const { return list_; }
    QPushButton* monthButton(int m) const { return months_.at(static_cast<std::size_t>(m - 1)); }
    QPushButton* typeButton(char type) const;
    QPushButton* button(const QString& caption) const; // a tool button by caption
    QLabel* totalsLabel() const { return totalsLabel_; }
    // Where "Fiş Listesi Excel" writes (empty: a new workbook opened in the spreadsheet).
    std::string exportTarget;

    // The actions behind the buttons (public so tests drive them as the buttons do).
    void insertVoucher();
    void changeVoucher();
    void deleteVoucher();
    void copyVoucher();
    void transferVoucher();
    void removeJournalNumbers();
    void clearJournalNumber();
    void exportList();
    void rebuildMonth();
    void renumberMonth();

  private:
    // A long tool through the procedure runner; the list is refreshed in place afterwards.
    void runTool(const std::string& name, app::Options o);
    std::string currentKey() const;
    bool guardChange();
    void refresh(bool keepSelection);
    void paintButtons();

    VoucherListContext ctx_;
    vouchers::ListQuery query_;
    vouchers::ListTotals totals_;
    std::shared_ptr<BrowseSource> source_;
    BrowsePanel* list_ = nullptr;
    std::array<QPushButton*, 12> months_{};
    std::array<QPushButton*, 4> types_{};
    std::vector<QPushButton*> tools_;
    QLabel* totalsLabel_ = nullptr;
};

// "Fiş Kopyala Ekranı".
class FisKopyalaWindow : public QDialog {
    Q_OBJECT
  public:
    FisKopyalaWindow(VoucherListContext& ctx, std::string key, QWidget* parent = nullptr);
    QLineEdit* dateField() const { return date_; }
    QPushButton* copyButton() const { return copy_; }

  private:
    void run();
    VoucherListContext& ctx_;
    std::string key_;
    QLineEdit* date_ = nullptr;
    QPushButton* copy_ = nullptr;
};

// "Fiş Transfer Ekranı".
class FisTransferWindow : public QDialog {
    Q_OBJECT
  public:
    FisTransferWindow(VoucherListContext& ctx, std::string key, QWidget* parent = nullptr);
    bool opened() const { return opened_; }
    QLineEdit* numberField() const { return number_; }
    QLineEdit* dayField() const { return day_; }
    QLineEdit* monthField() const { return month_; }
    QLineEdit* attributeField() const { return attribute_; }
    QComboBox* typeChoice() const { return type_; }
    QPushButton* transferButton() const { return transfer_; }
    QPushButton* attributeLookup() const { return lookup_; }

  private:
    void run();
    // A typed attribute that is neither a fixed code nor in the attribute file opens the list;
    // false when the user left it without a choice.
    bool resolveAttribute(bool always);
    VoucherListContext& ctx_;
    std::string key_;
    bool opened_ = false;
    QLineEdit *number_ = nullptr, *day_ = nullptr, *month_ = nullptr, *attribute_ = nullptr;
    QComboBox* type_ = nullptr;
    QPushButton* transfer_ = nullptr;
    QPushButton* lookup_ = nullptr;
};

// "Yevmiye No Kaldır".
class YevmiyeNoSilWindow : public QDialog {
    Q_OBJECT
  public:
    explicit YevmiyeNoSilWindow(VoucherListContext& ctx, QWidget* parent = nullptr);
    QLineEdit* numberField() const { return number_; }
    QLineEdit* dayField() const { return day_; }
    QPushButton* runButton() const { return run_; }

  private:
    void run();
    VoucherListContext& ctx_;
    QLineEdit *number_ = nullptr, *day_ = nullptr;
    QPushButton* run_ = nullptr;
};

// "Hesap Planı Transfer Ekranı" (Transfer), opened from the chart list with a detail account.
class HesapTransferWindow : public QDialog {
    Q_OBJECT
  public:
    HesapTransferWindow(VoucherListContext& ctx, std::string source, QWidget* parent = nullptr);
    QLineEdit* targetField() const { return target_; }
    QLineEdit* fromMonthField() const { return fromMonth_; }
    QLineEdit* toMonthField() const { return toMonth_; }
    QLineEdit* fromDateField() const { return fromDate_; }
    QLineEdit* toDateField() const { return toDate_; }
    QPushButton* transferButton() const { return transfer_; }

  private:
    void run();
    VoucherListContext& ctx_;
    std::string source_;
    QLineEdit *target_ = nullptr, *fromMonth_ = nullptr, *toMonth_ = nullptr,
              *fromDate_ = nullptr, *toDate_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* transfer_ = nullptr;
};

// "Fiş İçi Sırala Ekranı" (FisIciSirala).
class FisIciSiralaWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FisIciSiralaWindow(VoucherListContext ctx, QWidget* parent = nullptr);
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QPushButton* sortButton() const { return sort_; }

  private:
    void run();
    VoucherListContext ctx_;
    QLineEdit *from_ = nullptr, *to_ = nullptr;
    QPushButton* sort_ = nullptr;
};

// "Fis Detay Satırlarının Excel Aktarılması" (ExcelFisDetayAktar).
class ExcelFisDetayAktarWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ExcelFisDetayAktarWindow(VoucherListContext ctx, QWidget* parent = nullptr);
    QLineEdit* monthField() const { return month_; }
    QLabel* statusLine() const { return status_; }
    // Where the workbooks go: empty = a new workbook opened with the spreadsheet application.
    std::string target;
    void exportMonth();
    void exportJournal(bool full);

  private:
    void runExport(const std::string& name, app::Options o);
    VoucherListContext ctx_;
    QLineEdit* month_ = nullptr;
    QLabel* status_ = nullptr;
};

// Registers FisListesi, Transfer, FisIciSirala and ExcelFisDetayAktar as procedures.
void registerVoucherListWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
