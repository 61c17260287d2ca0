#pragma once
// The voucher-line list "Fiş Detay Listesi" (Fisdetlistesi, menu 5120) and the voucher-header
// list "Fiş Başlık Listesi" (SelectHkFisBas) it chooses a voucher from.
//
// The line list reads a page at a time through the browse framework, so it opens at once on a
// million lines. Tab "KeyStr": every line in key then line-number order, the locator on the key;
// tab "FisSiraNo": the lines of the voucher chosen with "Fiş Başlık Seç", in key then account
// order, the locator on the account code. "&Query" is a query by example: a small dialog with one
// criterion field per column (blank = any; see vouchers/line_query.h for how each matches);
// the list then shows only matching lines, and "Excel" exports what is listed. Every rule is
// vouchers/'s.

#include "app/ui.h"
#include "output/export.h"
#include "ui/framework/browse.h"
#include "ui/framework/browse_table.h"
#include "vouchers/line_query.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace hk::app {
class ProcedureRegistry;
}
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

// "Fiş Başlık Listesi": the headers in key order, the locator on the key; "Seçim" in selection
// mode, "Excel" (the header list's export) and "Çıkış".
class SelectHkFisBas : public QWidget {
    Q_OBJECT
  public:
    SelectHkFisBas(data::DataSet& ds, app::Ui& ui, bool select, QWidget* parent = nullptr);
    BrowsePanel* panel() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* excelButton() const { return excel_; }
    const std::optional<std::string>& chosen() const { return chosen_; }
    // Where "Excel" writes (empty: a new workbook opened in the spreadsheet application).
    output::ExportTarget target;
    void exportList();

  signals:
    void picked();
    void closeRequested();

  private:
    data::DataSet& ds_;
    app::Ui& ui_;
    BrowsePanel* list_ = nullptr;
    QPushButton *select_ = nullptr, *excel_ = nullptr, *exit_ = nullptr;
    std::optional<std::string> chosen_;
};

// Opens the header list for a choice (modal): the chosen key, or nothing.
std::optional<std::string> chooseVoucherHeader(data::DataSet& ds, app::Ui& ui, QWidget* parent);

// The query-by-example dialog of "&Query": one field per column of the line list.
class LineQueryDialog : public QDialog {
    Q_OBJECT
  public:
    LineQueryDialog(app::Ui& ui, const vouchers::LineQueryText& start, QWidget* parent = nullptr);
    PictureEdit *key, *side, *date, *number, *type, *attribute, *lineNo, *account, *description;
    QPushButton *apply, *clear, *cancel;
    // What was typed, once "Uygula" accepted it.
    const vouchers::LineQuery& query() const { return query_; }
    vouchers::LineQueryText typed() const;
    void tryApply();

  private:
    app::Ui& ui_;
    vouchers::LineQuery query_;
};

class Fisdetlistesi : public QWidget {
    Q_OBJECT
  public:
    Fisdetlistesi(data::DataSet& ds, app::Ui& ui, QWidget* parent = nullptr);

    BrowsePanel* panel() const { return list_; }
    QLabel* voucherLabel() const { return voucher_; }
    QPushButton* chooseButton() const { return choose_; }
    QPushButton* queryButton() const { return query_; }
    QPushButton* excelButton() const { return excel_; }

    // Hooks: the header choice and the query dialog (tests answer them; unset: the windows).
    std::function<std::optional<std::string>()> chooseHeader;
    std::function<std::optional<vouchers::LineQuery>(const vouchers::LineQueryText&)> askQuery;
    output::ExportTarget target;

    void chooseVoucher();                      // "Fiş Başlık Seç"
    void applyQuery(const vouchers::LineQuery& q); // the list shows only matching lines
    void runQuery();                           // "&Query"
    void exportList();                         // "Excel"
    const std::optional<std::string>& voucherKey() const { return key_; }

  private:
    void orderChanged(int order);

    data::DataSet& ds_;
    app::Ui& ui_;
    std::shared_ptr<TableSource<data::FisDet>> source_;
    BrowsePanel* list_ = nullptr;
    QLabel* voucher_ = nullptr;
    QPushButton *choose_ = nullptr, *query_ = nullptr, *excel_ = nullptr, *exit_ = nullptr;
    std::optional<std::string> key_;
    vouchers::LineQuery filter_;
    vouchers::LineQueryText typed_;
};

// Registers Fisdetlistesi (menu 5120) and SelectHkFisBas.
void registerVoucherLineWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
