#pragma once
// The general ledger's and the cash book's options windows: KebirRapFiltre ("Kebir Defteri Filtre
// Ekranı", menu "Kebir Defteri") and KasaDefteriFiltre ("Kasa Defteri Filtre Ekranı", menu "Kasa
// Raporu"). Every rule is the reports module's; the windows keep the couplings of their controls,
// propose the general ledger's next run from the stored state (and again after each run), and run
// the report on a thread of its own with its own data set, the progress window "Kebir Hesapları
// Sıralanıyor" and its cancel through the Ui port. A printed run ends in the preview, or raw on
// the printer's queue for "NPQ" printers; "Excel" opens the cash book as a workbook.

#include "app/ui.h"
#include "core/result.h"
#include "data/records.h"
#include "output/page.h"
#include "output/printer.h"
#include "output/raw.h"
#include "output/sheet.h"
#include "reports/cash_book.h"
#include "reports/general_ledger.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace hk::app {
class ProcedureRegistry;
class RightsService;
class Session;
} // namespace hk::app
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

// Where a finished run goes. Tests replace them.
struct BookRoutes {
    std::function<void(output::Document)> preview;
    std::function<core::Result<std::unique_ptr<output::RawTarget>>(const std::string& queue)> raw;
    std::function<void(output::Sheet)> sheet;
    // The account lookups: ListKebirHesapPlan for the general ledger, the whole chart for the
    // cash book; none when the user closed the list.
    std::function<std::optional<data::HsPlan>()> pickLedger;
    std::function<std::optional<data::HsPlan>()> pickAccount;
};

// What both windows share: the run on a thread of its own, its outcome shown on the GUI thread.
class BookWindow : public QWidget {
    Q_OBJECT
  public:
    bool running() const { return running_; }

  signals:
    void finished();

  protected:
    BookWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, BookRoutes routes,
               QWidget* parent);

    struct Outcome {
        core::Status status;
        std::optional<output::Document> doc;
        std::optional<output::Sheet> sheet;
    };
    using Body = std::function<void(data::DataSet&, Outcome&)>;
    // Runs `body` (on a thread of its own when `async`), then shows its outcome and calls
    // `after` on the GUI thread.
    void start(Body body, bool async, QPushButton* button, const std::string& caption,
               std::function<void()> after = {});

    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
    BookRoutes routes_;
    output::PrinterKind kind_ = output::PrinterKind::Ordinary;
    bool running_ = false;
};

class GeneralLedgerWindow : public BookWindow {
    Q_OBJECT
  public:
    GeneralLedgerWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, BookRoutes routes,
                        QWidget* parent = nullptr);

    // "Yaz": checks the options and runs KebirAyir and KebirRaporu; `async` on a thread of its
    // own.
    void run(bool async = true);
    // The options as the controls hold them; an error names the wrong one.
    core::Result<reports::GeneralLedgerOptions> options() const;
    // Reads the company record again and proposes the next run.
    void reread();
    output::PrinterKind printerKind() const { return kind_; }

    QLabel* sonYevmiyeNo;
    PictureEdit *hesapBasi, *hesapSonu, *baslangicTarihi, *bitisTarihi, *yevmiyeBasi,
        *yevmiyeSonu, *baslangicSayfa, *fontNo;
    QPushButton *basiLookup, *sonuLookup;
    QComboBox *baslangicAy, *bitisAy;
    QCheckBox* sayfaAdedi;
    QLabel* fontLabel;
    QPushButton *yaz, *cikis;
};

class CashBookWindow : public BookWindow {
    Q_OBJECT
  public:
    CashBookWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, BookRoutes routes,
                   QWidget* parent = nullptr);

    // "Yaz" (printed) or "Excel" (workbook).
    void run(bool toSheet, bool async = true);
    core::Result<reports::CashBookOptions> options() const;

    PictureEdit *hesapKodu, *baslangicTarihi, *bitisTarihi, *fontNo;
    QPushButton* lookup;
    QLabel* fontLabel;
    QPushButton *yaz, *excel, *cikis;
};

// Registers KebirRapFiltre and KasaDefteriFiltre as window procedures.
void registerLedgerBookWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
