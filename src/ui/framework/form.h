#pragma once
// Update form: the base of every entry form opened from a list. It holds the fields with their
// labels, the "&Tamam" (save) and "&Vazgeç" buttons, and the standard confirmations:
//   insert saved  -> message 3 ("Kayıt eklendi"): yes clears the form for another record
//   change saved  -> message 35 ("Değiştirme onayı") asked first; no keeps the form open
//   cancel with changes -> message 8; no keeps the form open
//   save refused  -> the message the error names (13 duplicate key, 30 linked records, ...)
// A concrete form adds its fields, fills them in load(), and writes through a procedure in
// save(); it never writes a record itself.

#include "app/ui.h"
#include "core/result.h"

#include <QDialog>
#include <QList>
#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QBoxLayout;

namespace hk::ui {

class PictureEdit;

enum class FormMode { Insert, Change, View };

class UpdateForm : public QDialog {
    Q_OBJECT
  public:
    UpdateForm(app::Ui& ui, FormMode mode, QWidget* parent = nullptr);

    FormMode mode() const { return mode_; }
    // Hides the save button (no right to save): the form can only be looked at and left.
    void setCanSave(bool can);

    // Fields. The form owns the widgets; labels are the program's captions.
    PictureEdit* addText(const QString& label, const std::string& picture);
    QCheckBox* addCheck(const QString& caption);
    QComboBox* addChoice(const QString& label, const QStringList& items);
    // An entry with a lookup button beside it ("..."), returned through button.
    PictureEdit* addLookup(const QString& label, const std::string& picture, QPushButton** button);
    void addRow(const QString& label, QWidget* w);
    QFormLayout* fields() const { return fields_; }

    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Runs the standard flows, as the buttons do.
    void trySave();
    void tryCancel();

    // Whether any field differs from what load() put there.
    bool changed() const;

  protected:
    // Fill the fields (from the record, or blank for an insert). Called once by open() and again
    // after message 3 is answered "yes".
    virtual void load() = 0;
    // Validate and write; an Error leaves the form open (its message is raised by the base).
    virtual core::Status save() = 0;
    // Called after a successful save of an insert before the form is cleared for the next one.
    virtual void saved() {}

    // Call at the end of the concrete constructor: loads and remembers the field values.
    void open();
    app::Ui& ui() const { return ui_; }
    void setChangedBaseline();

    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    QString snapshot() const;

    app::Ui& ui_;
    FormMode mode_;
    QFormLayout* fields_;
    QBoxLayout* buttons_;
    QPushButton* save_;
    QPushButton* cancel_;
    QList<QWidget*> watched_;
    QString baseline_;
    bool closing_ = false;
    bool wroteAny_ = false; // an insert saved at least one record
};

} // namespace hk::ui
