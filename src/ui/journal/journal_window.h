#pragma once
// "Yevmiye Raporu Filtre Ekranı" (procedure YevmiyeRapFiltre, menu "Yevmiye"): shows the journal
// state, takes the month and options, and starts the printed journal, the e-ledger XML ("İdea")
// and the e-ledger CSV ("eFinans"). Every rule is the journal module's; the window only keeps
// the month within the allowed range (a lower one raised, a higher one lowered, the cursor put
// on it) and re-reads the state after each run, so a certified run proposes the next month.
//
// "EDefter Kontrol " opens "EDefter Kontrol Ekranı", whose check runs on a thread of its own
// with its own data set; "ClipBoard" copies the list.

#include "app/ui.h"
#include "core/result.h"
#include "data/records.h"
#include "journal/run.h"
#include "output/page.h"
#include "output/printer.h"
#include "output/raw.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QThread;

namespace hk::app {
class ProcedureRegistry;
class Session;
} // namespace hk::app
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

// Where a printed journal goes: the preview (ordinary and "LPQ" printers) or a raw queue
// ("NPQ"). Tests replace both.
struct JournalRoutes {
    std::function<void(output::Document)> preview;
    std::function<core::Result<std::unique_ptr<output::RawTarget>>(const std::string& queue)> raw;
};

class JournalWindow : public QWidget {
    Q_OBJECT
  public:
    JournalWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, JournalRoutes routes,
                  QWidget* parent = nullptr);

    // The fiscal month chosen (1..12).
    int month() const;
    void setMonth(int m);
    output::PrinterKind printerKind() const { return kind_; }

    // As the buttons and the month and date fields do.
    void monthAccepted();
    bool endDateAccepted();
    void print();
    void exportXml();
    void exportCsv();
    void openCheck();

    // controls, for tests and the window's own use
    QLabel *sonAy, *sonNo, *devredenBorc, *devredenAlacak;
    QComboBox* ay;
    PictureEdit *sonTarih, *baslangicSayfa, *kayitEden, *subeKodu, *fontNo;
    QRadioButton *tastikliEvet, *tastikliHayir, *acilisEvet, *acilisHayir, *kapanisEvet,
        *kapanisHayir;
    QCheckBox *kebirBazinda, *yenidenYaz, *sayfaAdedi, *varsayilanlar;
    QLabel* fontLabel;
    QPushButton *kontrol, *yaz, *idea, *efinans, *cikis;

  private:
    void build();
    // Reads the company record and shows its journal state; the month becomes the one proposed.
    void reread();
    void showDates();
    // The month within the allowed range; false (cursor on the month) when it had to move.
    bool monthAllowed();
    void rememberEdefter();
    journal::RunOptions runOptions() const;

    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
    JournalRoutes routes_;
    output::PrinterKind kind_ = output::PrinterKind::Ordinary;
    data::Yasal company_;
    core::Date start_, end_;
    QLabel* dates_ = nullptr;
};

// "EDefter Kontrol Ekranı".
class JournalCheckWindow : public QDialog {
    Q_OBJECT
  public:
    JournalCheckWindow(data::DataSet& ds, QWidget* parent = nullptr);
    ~JournalCheckWindow() override;

    void run();  // "EDefter Kontrol": the check on its own thread
    void copy(); // "ClipBoard"
    bool running() const { return thread_ != nullptr; }

    QPlainTextEdit* list;
    QLabel* status;
    QPushButton *kontrol, *clipboard, *cikis;

  private:
    data::DataSet& ds_;
    QThread* thread_ = nullptr;
};

// Registers YevmiyeRapFiltre (an MDI child of the frame) as a procedure.
void registerJournalWindow(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
