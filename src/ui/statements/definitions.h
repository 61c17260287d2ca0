#pragma once
// The editors of the report definitions:
//   "Rapor Tanımı"                 ReportDefinitionWindow, one Rapor with its DRapor column list
//   "Rapor Değiştir"               ColumnForm, one DRapor column
//   "Tanımlanabilir Saha Listesi"  FieldListWindow, the DataList names of one definition kind
//   "Tablo Bilanço Tanımlamaları"  StatementDefinitionWindow (FTabloRapor), one Tablo with its lines
//   "Update the BDRapor File"      LineForm (FBDRapor), one DTablo line
// Every rule (defaults, moves, look-up defaults, the margin cap, checks) is statements/editors.h;
// the windows gather input and call it. Look-ups go through hooks so that the tests can answer
// them without a modal window.

#include "app/ui.h"
#include "data/dataset.h"
#include "data/records.h"
#include "ui/framework/form.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace hk::app {
class ProcedureRegistry;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

// Chooses a name from the field list of a definition kind ("1", "2", "3", "9"); nullopt when
// the user chose nothing.
using FieldChooser = std::function<std::optional<data::DataList>(const std::string& kind)>;
// Chooses an account code from the chart; nullopt when the user chose nothing.
using AccountChooser = std::function<std::optional<std::string>()>;

struct DefinitionHooks {
    FieldChooser chooseField;     // default: FieldListWindow
    AccountChooser chooseAccount; // default: a pick list of the chart
    // Runs an entry form; true when it wrote something. Default: exec().
    std::function<bool(UpdateForm&)> runForm;
};

// "Tanımlanabilir Saha Listesi": the names of one definition kind; "&Seç" (or a double click)
// returns the highlighted one.
class FieldListWindow : public QDialog {
    Q_OBJECT
  public:
    FieldListWindow(data::DataSet& ds, app::Ui& ui, const std::string& kind, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }
    void choose(int row);
    const std::optional<data::DataList>& chosen() const { return chosen_; }

  private:
    std::vector<data::DataList> rows_;
    QTableWidget* table_;
    std::optional<data::DataList> chosen_;
};

// "Rapor Değiştir".
class ColumnForm : public UpdateForm {
    Q_OBJECT
  public:
    ColumnForm(data::DataSet& ds, app::Ui& ui, data::DRapor column, FormMode mode, std::optional<int> oldNumber,
               FieldChooser chooseField, QWidget* parent = nullptr);
    // The "Saha Adı" and "Nitelik" look-ups, as their buttons do.
    void lookUpField();
    void lookUpFilterField();
    data::DRapor collect() const;

    PictureEdit *siraNo, *sahaAdi, *uzunluk, *format, *formul, *aciklama1, *aciklama2, *nitelik, *filtre;
    QComboBox *ntlk, *yaz, *topla;
    QPushButton *sahaLookup, *nitelikLookup;

  protected:
    void load() override;
    core::Status save() override;

  private:
    void kindChanged();
    data::DataSet& ds_;
    data::DRapor column_;
    std::optional<int> oldNumber_;
    FieldChooser chooseField_;
    QLabel* formulLabel_ = nullptr;
};

// "Rapor Tanımı": header and column list. In insert mode the header is written before the first
// column is added, since the columns hang on its number.
class ReportDefinitionWindow : public QDialog {
    Q_OBJECT
  public:
    ReportDefinitionWindow(data::DataSet& ds, app::Ui& ui, data::Rapor report, FormMode mode, DefinitionHooks hooks,
                           QWidget* parent = nullptr);
    void insertColumn();
    void changeColumn();
    void removeColumn();
    void copyColumn();
    void moveColumn(bool up);
    void lookUpFilter(int index); // 0..2
    void exportList();
    void trySave();
    void reload();
    void selectNumber(int sirano);
    std::optional<data::DRapor> selectedColumn() const;

    PictureEdit *rapNo, *ad, *baslik;
    std::array<PictureEdit*, 3> filtre{};
    std::array<QPushButton*, 3> filtreLookup{};
    QTableWidget* columns;
    QPushButton *insertButton, *changeButton, *removeButton, *copyButton, *upButton, *downButton, *excelButton,
        *okButton, *exitButton;

  private:
    core::Status writeHeader();
    bool runForm(UpdateForm& f);
    data::DataSet& ds_;
    app::Ui& ui_;
    data::Rapor report_;
    FormMode mode_;
    DefinitionHooks hooks_;
    std::vector<data::DRapor> rows_;
};

// "Update the BDRapor File" (FBDRapor): one line; the title names the side.
class LineForm : public UpdateForm {
    Q_OBJECT
  public:
    LineForm(data::DataSet& ds, app::Ui& ui, data::DTablo line, FormMode mode, DefinitionHooks hooks,
             QWidget* parent = nullptr);
    void lookUpSaha(bool previous);
    void lookUpAccount();
    // As leaving the margin field does: a margin above 3 becomes 3 and the cursor stays on it.
    void marginEntered();
    data::DTablo collect() const;

    PictureEdit *satirNo, *aciklama, *saha, *oSaha, *formul, *hesapKodu, *bosluk;
    QComboBox *nitelik, *yazilsin, *aktifPasif;
    QPushButton *sahaLookup, *oSahaLookup, *hesapLookup;
    QWidget *valueBox, *formulaBox;

  protected:
    void load() override;
    core::Status save() override;

  private:
    void kindChanged();
    data::DataSet& ds_;
    data::DTablo line_;
    std::optional<std::pair<int, std::string>> old_;
    DefinitionHooks hooks_;
};

// "Tablo Bilanço Tanımlamaları" (FTabloRapor).
class StatementDefinitionWindow : public QDialog {
    Q_OBJECT
  public:
    StatementDefinitionWindow(data::DataSet& ds, app::Ui& ui, data::Tablo table, FormMode mode, DefinitionHooks hooks,
                              QWidget* parent = nullptr);
    // side 0 = "Aktif Hesaplar", 1 = "Pasif Hesaplar".
    void insertLine(int side);
    void changeLine(int side);
    void removeLine(int side);
    void moveLine(int side, bool up);
    void trySave();
    void reload();
    void typeChanged();

    PictureEdit *rapNo, *ad, *baslik;
    QComboBox* tip;
    std::array<QTableWidget*, 2> lists{};
    std::array<QWidget*, 2> panels{};
    std::array<std::array<QPushButton*, 5>, 2> buttons{}; // YeniGir, Değiştir, Sil, up, down
    QPushButton *okButton, *exitButton;

  private:
    core::Status writeHeader();
    std::string typeCode() const;
    data::DataSet& ds_;
    app::Ui& ui_;
    data::Tablo table_;
    FormMode mode_;
    DefinitionHooks hooks_;
    std::array<std::vector<data::DTablo>, 2> rows_;
};

// The lists that open the editors ("TnmRaporlar" with kind "1"/"2", "TabloRapor"), registered only
// while no fuller list of the reports that use them is: they offer YeniGir / Değiştir / Sil, and
// their other buttons start the procedures of those reports (message 24 until they exist).
void registerDefinitionWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
