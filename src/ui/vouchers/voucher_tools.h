#pragma once
// Small voucher windows of the menu and of other windows:
//   FisNumaratorDuzeltWindow  "Fiş Numarator Düzelt Ekranı" (menu 5050): "Ay No" and "Düzelt",
//                             which runs the counter repair FisNumaratorDuzelt off the GUI thread
//   FisNitelikWindow          "Fiş Nitelik Listesi" (FisNitelik): the voucher attributes, edited
//                             in place, and the choice of one where a typed attribute is unknown
// Every rule is vouchers/'s.

#include "app/ui.h"
#include "ui/framework/procedure_runner.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace hk::app {
class ProcedureRegistry;
}
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class MainFrame;
class PictureEdit;

class FisNumaratorDuzeltWindow : public QDialog {
    Q_OBJECT
  public:
    FisNumaratorDuzeltWindow(RunProcedure run, QWidget* parent = nullptr);
    PictureEdit* monthField() const { return month_; }
    QPushButton* fixButton() const { return fix_; }
    QPushButton* exitButton() const { return exit_; }
    void fix(); // "Düzelt"

  private:
    RunProcedure run_;
    PictureEdit* month_ = nullptr;
    QPushButton *fix_ = nullptr, *exit_ = nullptr;
};

// The attribute list. The file holds a handful of rows, so it is read whole into an editable
// table: "YeniGir" adds a row whose code and description are typed in place (the row is saved
// once its description is entered), "Değiştir" opens the highlighted row's description for
// typing (the code is the key vouchers carry, so it is not changed here). Every save goes through
// vouchers::saveAttribute; a refusal is shown and the list is read again.
class FisNitelikWindow : public QWidget {
    Q_OBJECT
  public:
    FisNitelikWindow(data::DataSet& ds, app::Ui& ui, bool select, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* insertButton() const { return insert_; }
    QPushButton* changeButton() const { return change_; }
    QPushButton* closeButton() const { return close_; }
    const std::optional<std::string>& chosen() const { return chosen_; }

    void reload();
    void insertRow();  // "YeniGir"
    void changeRow();  // "Değiştir"
    void choose();     // "Seçim"

  signals:
    void picked();
    void closeRequested();

  private:
    void cellEdited(QTableWidgetItem* item);
    void select(const std::string& code);

    data::DataSet& ds_;
    app::Ui& ui_;
    QTableWidget* table_ = nullptr;
    QPushButton *select_ = nullptr, *insert_ = nullptr, *change_ = nullptr, *close_ = nullptr;
    std::optional<std::string> chosen_;
    int newRow_ = -1;    // the row "YeniGir" added and not saved yet
    bool loading_ = false;
};

// Opens the attribute list for a choice (modal); the chosen code, or nothing when it was left.
std::optional<std::string> chooseAttribute(data::DataSet& ds, app::Ui& ui, QWidget* parent);

// Registers FisNumaratorDuzeltEkrani (menu 5050) and FisNitelik.
void registerVoucherToolWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
