#pragma once
// "Şirket Yasal Tanımları": the company settings window (procedure Yasal, menu 4010). Four tabs
// with every field the window edits; the period dates and numbering options are locked once a
// voucher number was issued; entering the start date proposes the end date. "Tamam" writes
// through app/company (which keeps the numerators as they are in the file) and hands the
// written record to the session; "Çıkış" leaves without writing.

#include "app/ui.h"
#include "data/records.h"
#include "data/table.h"
#include "ui/framework/binding.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace hk::app {
class ProcedureRegistry;
} // namespace hk::app
namespace hk::data {
class DataSet;
}

namespace hk::ui {

class PictureEdit;

class YasalWindow : public QDialog {
    Q_OBJECT
  public:
    // file: the company file; saved: receives the record as written (the session's copy).
    YasalWindow(data::TypedTable<data::Yasal> file, app::Ui& ui,
                std::function<void(const data::Yasal&)> saved, QWidget* parent = nullptr);

    // The record the window was opened on (after an empty one was added if needed); false when
    // the file could not be read (reported already).
    bool loaded() const { return loaded_; }
    bool locked() const { return locked_; }

    // Reads the fields into a record (the one the window was opened on, changed).
    core::Result<data::Yasal> collect() const;
    void trySave();
    // As leaving the start-date field does: proposes the end date.
    void startDateEntered();

    QTabWidget* tabs() const { return tabs_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* exitButton() const { return exit_; }

    // fields, for tests and the window's own use
    PictureEdit *unvan, *adres1, *adres2, *vdAdi, *vdNo, *vdIl, *telefon, *sicilNo, *mersisNo, *web,
        *smmmAd, *smmmVkn;
    PictureEdit *donemBas, *donemSon;
    QRadioButton *birArada, *ayriAyri, *herAy, *herGun;
    QGroupBox *duzenBox, *siraBox;
    QCheckBox *detaySirala, *otomatikKapa;
    PictureEdit* kasaKodu;
    std::array<PictureEdit*, 5> odenecekKod{}, odenecekOran{}, indirilecekKod{}, indirilecekOran{};
    std::array<PictureEdit*, 3> imzaUnvan{}, imzaAd{};
    QComboBox* grubYaz;
    QComboBox* kapananAy;
    PictureEdit *sonYevmiyeNo, *sonYevmiyeAy, *sonYevmiyeTarih, *sonYevmiyeBorc, *sonYevmiyeAlacak;
    QCheckBox* yevmiyeMatbu;
    QComboBox* edefter;
    PictureEdit *sonKebirAy, *kebirYevmiyeNo;
    QCheckBox* kebirMatbu;

  private:
    void build();
    void declare();
    void display(const data::Yasal& y);

    data::TypedTable<data::Yasal> file_;
    app::Ui& ui_;
    std::function<void(const data::Yasal&)> saved_;
    data::Yasal rec_;
    FormBinding<data::Yasal> bind_;
    bool loaded_ = false;
    bool locked_ = false;
    QTabWidget* tabs_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* exit_ = nullptr;
};

// Registers the procedure Yasal: opens the company file of the run's data set and runs the
// window modally over `frame`; the session's company record follows a save.
void registerYasal(app::ProcedureRegistry& registry, QWidget* frame);

} // namespace hk::ui
