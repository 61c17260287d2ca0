#pragma once
// The standard voucher-line descriptions: the list "Fiş Açıklama Listesi" (FisAck, menu 4020
// "Özel Fiş Açıklamaları") with its form FFisAck ("Fiş Açıklama Girişi" / "Fiş Açıklama
// Değişiklik"), and the selection the voucher form uses to pick a text. Every rule is
// vouchers/descriptions.h's.

#include "app/rights.h"
#include "app/ui.h"
#include "ui/framework/browse.h"
#include "ui/framework/form.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QDialog;
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

struct DescriptionContext {
    data::DataSet* data = nullptr;
    app::Ui* ui = nullptr;
    const app::RightsService* rights = nullptr; // null: every action allowed
    // Runs the form modally; tests replace it to fill the form before it would block.
    std::function<int(QDialog&)> runForm;
};

// FFisAck: one field "Fiş Açıklaması", "Tamam" and "İptal".
class FFisAck : public UpdateForm {
    Q_OBJECT
  public:
    // `text` is the description to change (empty for a new one).
    FFisAck(DescriptionContext ctx, FormMode mode, std::string text, QWidget* parent = nullptr);
    PictureEdit* field() const { return field_; }

  protected:
    void load() override;
    core::Status save() override;

  private:
    DescriptionContext ctx_;
    std::string original_;
    PictureEdit* field_ = nullptr;
};

// "Fiş Açıklama Listesi". In selection mode "S&eçim" (and a double click) hands back the
// highlighted text; otherwise it is hidden.
class FisAckList : public QWidget {
    Q_OBJECT
  public:
    FisAckList(DescriptionContext ctx, bool select, QWidget* parent = nullptr);
    BrowsePanel* panel() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* exitButton() const { return exit_; }
    const std::optional<std::string>& chosen() const { return chosen_; }

  signals:
    void picked();
    void closeRequested();

  private:
    bool runForm(FormMode mode, const std::string& text);
    DescriptionContext ctx_;
    BrowsePanel* list_ = nullptr;
    QPushButton *select_ = nullptr, *exit_ = nullptr;
    std::optional<std::string> chosen_;
};

// Opens the list for a choice (modal) and returns the chosen text; nothing when the user left
// it without choosing. The voucher form appends the text to the line's description.
std::optional<std::string> chooseDescription(DescriptionContext ctx, QWidget* parent = nullptr);

// Registers FisAck (the menu's list).
void registerDescriptionWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
