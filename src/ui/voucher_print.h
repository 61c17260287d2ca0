#pragma once
// The voucher sheet windows and glue:
//   printVoucherSheets   the voucher list's print button and the voucher form: one voucher (or a
//                        key range) to the preview, or raw to the printer's queue on "NPQ" and
//                        "LPQ" printers
//   BulkPrintWindow      "Toplu Fiş Yaz" (the list's "Toplu Yaz"): type, attribute, date and
//                        number range; "Fiş Yaz" prints the selection and closes the window
//   SheetImportWindow    "Excel'den Masraf Fişi Oku" (HkrFiSOku, menu 5127)
// Every rule is the vouchers module's (sheet_print.h, sheet_import.h).

#include "app/ui.h"
#include "core/result.h"
#include "output/page.h"
#include "output/raw.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

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

// Where sheets go: the preview (ordinary printers) or a raw queue. Tests replace both.
struct SheetRoutes {
    std::function<void(output::Document)> preview;
    std::function<core::Result<std::unique_ptr<output::RawTarget>>(const std::string& queue)> raw;
};

// Prints the vouchers from `firstKey` to `lastKey` (the same key for one voucher) on the
// session's printer. A failure is shown through `ui`; the result says whether it printed.
bool printVoucherSheets(data::DataSet& ds, app::Session& session, app::Ui& ui,
                        const SheetRoutes& routes, const std::string& firstKey,
                        const std::string& lastKey);

// Looks a typed attribute up in the attribute file; when it is not there the list opens and the
// choice replaces it (true), leaving the list without a choice gives false.
bool checkAttribute(data::DataSet& ds, app::Ui& ui, PictureEdit& field, bool always);

class BulkPrintWindow : public QDialog {
    Q_OBJECT
  public:
    BulkPrintWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, SheetRoutes routes,
                    QWidget* parent = nullptr);

    void printSelection(); // "Fiş Yaz"

    QComboBox* fisTur;
    PictureEdit *nitelik, *tarihBasi, *tarihSonu, *noBasi, *noSonu;
    QPushButton *nitelikAra, *fisYaz, *cikis;

  private:
    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
    SheetRoutes routes_;
};

class SheetImportWindow : public QDialog {
    Q_OBJECT
  public:
    SheetImportWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                      QWidget* parent = nullptr);

    void chooseFile();  // the lookup of "Excel Dosya Adı"
    void runImport();   // "Excel Fiş Oku"

    QLineEdit* dosya;
    PictureEdit *nitelik, *belgeAciklama, *odemeTipi;
    QComboBox* belgeTipi;
    QPushButton *dosyaAra, *nitelikAra, *oku, *cikis;
    QLabel* durum; // the progress line

  private:
    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
};

// Registers HkrFiSOku (modal, menu 5127) and TopluFisYaz (the voucher list's "Toplu Yaz").
void registerVoucherPrintWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
