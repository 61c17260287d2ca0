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
#include <optional>
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

// "FisYaz": prints the one voucher whose key is given (the voucher list's print button and the
// voucher form). An empty key or a key no voucher has is refused with a message and prints
// nothing.
inline constexpr const char* kNoVoucherToPrint = "Yazdırılacak Fiş Seçilmedi..";
inline constexpr const char* kVoucherToPrintMissing = " Nolu Fiş Bulunamadı..";
bool printVoucher(data::DataSet& ds, app::Session& session, app::Ui& ui, const SheetRoutes& routes,
                  const std::string& key);

// Opens the attribute list "Fiş Nitelik Listesi" for a choice: the chosen code, or nothing.
using AttributeChooser = std::function<std::optional<std::string>()>;

// Looks a typed attribute up in the attribute file; when it is not there the list opens and the
// choice replaces it (true), leaving the list without a choice gives false. Without a chooser the
// codes are offered in the short pick list of the Ui.
bool checkAttribute(data::DataSet& ds, app::Ui& ui, PictureEdit& field, bool always,
                    const AttributeChooser& choose = {});

class BulkPrintWindow : public QDialog {
    Q_OBJECT
  public:
    BulkPrintWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, SheetRoutes routes,
                    QWidget* parent = nullptr);

    void printSelection(); // "Fiş Yaz"

    QComboBox* fisTur;
    PictureEdit *nitelik, *tarihBasi, *tarihSonu, *noBasi, *noSonu;
    QPushButton *nitelikAra, *fisYaz, *cikis;
    AttributeChooser chooseAttribute; // the attribute list; unset: the Ui's pick list

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
    AttributeChooser chooseAttribute; // the attribute list; unset: the Ui's pick list
    QLabel* durum; // the progress line

  private:
    data::DataSet& ds_;
    app::Session& session_;
    app::Ui& ui_;
};

// Registers HkrFiSOku (modal, menu 5127), TopluFisYaz (the voucher list's "Toplu Yaz") and
// FisYaz (one voucher by its key).
void registerVoucherPrintWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
