#pragma once
// The defined listing reports' windows: the definition list TnmRaporlar ("Raporlar  Listesi",
// kind "1" trial balance, "2" subsidiary ledger) with its "Std.Rapor" window, and the filter
// windows TnmMizanFiltre ("Mizan Raporu Filtre Ekranı") and TnmMuavinFiltre ("Muavin Raporu
// Filtre Ekranı"). Every rule is the reports module's; the windows keep the couplings of their
// controls and start the run on a thread of its own (its own data set, the progress window and
// its cancel through the Ui port). A printed run ends in the preview, or raw on the printer's
// queue for "NPQ" printers; a spreadsheet run opens the workbook.

#include "app/rights.h"
#include "app/ui.h"
#include "output/page.h"
#include "output/printer.h"
#include "output/raw.h"
#include "output/sheet.h"
#include "reports/run.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace hk::app {
class ProcedureRegistry;
class Session;
} // namespace hk::app
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class BrowsePanel;
class MainFrame;
class PictureEdit;

// Where a finished run goes. Tests replace all three.
struct ReportRoutes {
    std::function<void(output::Document)> preview;
    std::function<core::Result<std::unique_ptr<output::RawTarget>>(const std::string& queue)> raw;
    std::function<void(output::Sheet)> sheet;
};

// "Mizan Raporu Tanımla" / "Muavin Raporu Tanımla": the number and the three standard buttons.
class StandardDialog : public QDialog {
    Q_OBJECT
  public:
    StandardDialog(data::DataSet& ds, app::Ui& ui, const std::string& kind,
                   QWidget* parent = nullptr);
    // As the buttons do; true when a definition was written.
    bool write(reports::Measure m);

    PictureEdit* number;
    QPushButton *tl, *altBirim, *doviz, *cikis;

  private:
    data::DataSet& ds_;
    app::Ui& ui_;
    std::string kind_;
};

// The filter windows. Both share the period, account range, output and font controls.
class FilterWindow : public QWidget {
    Q_OBJECT
  public:
    FilterWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, std::string kind,
                 int definition, ReportRoutes routes, QWidget* parent = nullptr);

    // "Yaz" / "Excel": checks the options and runs the report; `async` on a thread of its own.
    void run(bool async = true);
    bool running() const { return running_; }

    // shared controls
    PictureEdit *hesapBasi, *hesapSonu, *baslangicTarihi, *bitisTarihi, *raporTarihi, *fontNo;
    QComboBox *baslangicAy, *bitisAy;
    QCheckBox *excel, *dosya;
    QLabel* fontLabel;
    QPushButton *yaz, *cikis;
    // trial balance
    QComboBox *seviye = nullptr;
    QRadioButton *cift = nullptr, *tek = nullptr;
    QRadioButton *calismis = nullptr, *bakiyeVeren = nullptr, *tum = nullptr;
    QRadioButton *acilisEvet = nullptr, *acilisHayir = nullptr, *kapanisEvet = nullptr,
                 *kapanisHayir = nullptr;
    QCheckBox *yansitmaHaric = nullptr, *mizanDuzenle = nullptr, *cerceve = nullptr;
    // subsidiary ledger
    QRadioButton *kebirEvet = nullptr, *kebirHayir = nullptr, *ayToplamEvet = nullptr,
                 *ayToplamHayir = nullptr, *iptalEvet = nullptr, *iptalHayir = nullptr;
    QCheckBox *ayriSayfa = nullptr, *calisanHesaplar = nullptr, *kumulatif = nullptr;

  signals:
    void finished();

  private:
    void buildTrialBalance(QFormLayout* form);
    void buildLedger(QFormLayout* form);
    // The options as the windows gathered them; an error names the wrong one.
    core::Result<reports::TrialBalanceRun> trialBalanceOptions() const;
    core::Result<reports::LedgerOptions> ledgerOptions() const;
    bool monthMode() const;

    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
    std::string kind_;
    int definition_;
    ReportRoutes routes_;
    output::PrinterKind printerKind_ = output::PrinterKind::Ordinary;
    bool running_ = false;
};

// "Raporlar  Listesi" over the definitions of one kind.
class ReportListWindow : public QWidget {
    Q_OBJECT
  public:
    // `rights` governs the list's insert, change and delete actions (menu number 100) and
    // "Std.Rapor"; none means a context without restrictions (a master user).
    ReportListWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, std::string kind,
                     std::function<void(int number)> openFilter,
                     const app::RightsService* rights = nullptr, QWidget* parent = nullptr);

    void openStandard(); // "Std.Rapor"
    void print();        // "&Yazdır"

    BrowsePanel* list;
    QPushButton *standard, *yazdir;

  private:
    data::DataSet& ds_;
    app::Ui& ui_;
    std::string kind_;
    std::function<void(int)> openFilter_;
};

// Registers TnmRaporlar (argument "1" or "2") as a procedure whose run opens the list.
void registerReportWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
