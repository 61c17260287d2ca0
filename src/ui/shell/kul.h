#pragma once
// User and group administration: "Kullanıcı Tanımları" (KulUserList), "Grup Tanımları"
// (KulGrupList), the menu catalogue list (KulMenuList), the group pick list (KulBGrupList) and
// their forms. Reachable by master users only. Every rule (membership copying, "Otomatik Ekle",
// password hashing) lives in app/users; the windows gather input and show the files.

#include "app/ui.h"
#include "app/users.h"
#include "data/database.h"
#include "ui/framework/browse.h"
#include "ui/framework/binding.h"
#include "ui/framework/browse_table.h"
#include "ui/framework/form.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;

namespace hk::data {
class DataSet;
}
namespace hk::app {
class ProcedureRegistry;
struct ProcedureContext;
} // namespace hk::app

namespace hk::ui {

class MainFrame;
class PictureEdit;

// The part of a procedure's context (app::ProcedureContext) the windows work on, so that the
// pick lists they open for each other need no session. db holds the security files; dataSet
// (optional) serves the spreadsheet export of the menu catalogue.
struct KulContext {
    data::Database* db = nullptr;
    data::DataSet* dataSet = nullptr;
    app::Ui* ui = nullptr;
    static KulContext of(app::ProcedureContext& ctx);
};

// Lookups the forms open when a typed number is not in its file; replaceable in tests.
struct KulPickers {
    std::function<std::optional<data::MenuList>()> menu;
    std::function<std::optional<data::KLGrups>()> group;
};

// ---- forms ---------------------------------------------------------------------------------

// "Kullanıcı Detayı". The password field starts blank when changing: the stored hash cannot be
// shown, and a blank entry keeps it.
class KulFUser : public UpdateForm {
    Q_OBJECT
  public:
    KulFUser(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLUsers rec,
             QWidget* parent = nullptr);
    PictureEdit* idField() const { return id_; }
    PictureEdit* passwordField() const { return password_; }
    PictureEdit* nameField() const { return name_; }
    QCheckBox* masterBox() const { return master_; }
    const std::string& lastSavedId() const { return savedId_; }

  protected:
    void load() override;
    core::Status save() override;

  private:
    void declare();

    app::users::SecurityFiles& f_;
    data::KLUsers rec_;
    FormBinding<data::KLUsers> bind_;
    PictureEdit* id_;
    PictureEdit* password_;
    PictureEdit* name_;
    QCheckBox* master_;
    std::string savedId_;
};

// The five rights as Evet/Hayır choices, in the order the form shows them.
struct RightsChoices {
    QComboBox* GOSTER = nullptr;
    QComboBox* IZLE = nullptr;
    QComboBox* YENIGIR = nullptr;
    QComboBox* DEGISTIR = nullptr;
    QComboBox* SIL = nullptr;
};

// What the user-right and group-right forms share: the menu number with its lookup, the menu
// name, the group number and the five rights, loaded from and collected into a rights row.
class RightsForm : public UpdateForm {
  public:
    PictureEdit* menuField() const { return menu_; }
    QLineEdit* menuName() const { return menuName_; }
    PictureEdit* groupField() const { return group_; }
    const RightsChoices& rights() const { return rights_; }
    QPushButton* lookupButton() const { return lookup_; }
    // Looks the typed menu number up (as leaving the field does).
    void checkMenu();

  protected:
    enum class FirstRight : std::uint8_t { Izle, Goster };
    RightsForm(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, KulPickers pickers,
               QWidget* parent);
    // The menu, its name, the group and the rights, in that order after what the form added.
    void addRightsFields(FirstRight first);
    // Declares the menu number (with its name) and the five rights of a rights row; a new row
    // shows no menu (the row shown on insert grants nothing yet).
    template <typename Row> void declareRights(FormBinding<Row>& b);

    app::users::SecurityFiles& f_;
    KulPickers pickers_;
    PictureEdit* menu_ = nullptr;
    QLineEdit* menuName_ = nullptr;
    PictureEdit* group_ = nullptr;
    QPushButton* lookup_ = nullptr;
    RightsChoices rights_;
};

// "Yetki Detay Girişi" (user rights): the user, then the shared fields. Only the user and the
// group stay as they are when a row is changed.
class KulFDUsers : public RightsForm {
    Q_OBJECT
  public:
    KulFDUsers(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLDUsers rec,
               KulPickers pickers, QWidget* parent = nullptr);
    PictureEdit* userField() const { return user_; }

  protected:
    void load() override;
    core::Status save() override;

  private:
    data::KLDUsers rec_;
    FormBinding<data::KLDUsers> bind_;
    PictureEdit* user_;
};

// "Grup Yetki Detayı Girişi" (group rights): the shared fields, the group never editable here.
class KulFDGrups : public RightsForm {
    Q_OBJECT
  public:
    KulFDGrups(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLDGrups rec,
               KulPickers pickers, QWidget* parent = nullptr);

  protected:
    void load() override;
    core::Status save() override;

  private:
    data::KLDGrups rec_;
    FormBinding<data::KLDGrups> bind_;
};

// "Kullanıcı Grup Detay Girişi": a membership. Saving it copies the group's rights to the user.
// A membership has nothing to change but its group, and another group is another membership:
// opened on an existing one the form only shows it.
class KulFGUsers : public UpdateForm {
    Q_OBJECT
  public:
    KulFGUsers(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLGUsers rec,
               KulPickers pickers, QWidget* parent = nullptr);
    PictureEdit* userField() const { return user_; }
    PictureEdit* groupField() const { return group_; }
    QLineEdit* groupName() const { return groupName_; }
    QPushButton* lookupButton() const { return lookup_; }
    void checkGroup();

  protected:
    void load() override;
    core::Status save() override;

  private:
    app::users::SecurityFiles& f_;
    data::KLGUsers rec_;
    KulPickers pickers_;
    PictureEdit* user_;
    PictureEdit* group_;
    QLineEdit* groupName_;
    QPushButton* lookup_ = nullptr;
};

// A form of a number and a name (groups, the menu catalogue), declared once: captions, pictures,
// the record's values, whether the number stays fixed when changing, and how it is saved.
struct NumberNameDeclaration {
    QString title;
    QString numberCaption;
    std::string numberPicture;
    QString nameCaption;
    std::string namePicture;
    double number = 0; // the record's values (ignored when inserting)
    std::string name;
    // A group keeps its number (its rights rows and memberships are filed under it); the menu
    // catalogue form edits number and name.
    bool numberFixedOnChange = false;
    // Saves the typed values; `before` is the record's number (the key it is found by).
    std::function<core::Status(FormMode mode, double before, double number, const std::string& name)>
        save;
};

class NumberNameForm : public UpdateForm {
    Q_OBJECT
  public:
    NumberNameForm(app::Ui& ui, FormMode mode, NumberNameDeclaration d, QWidget* parent = nullptr);
    PictureEdit* numberField() const { return no_; }
    PictureEdit* nameField() const { return name_; }

  protected:
    void load() override;
    core::Status save() override;

  private:
    NumberNameDeclaration d_;
    PictureEdit* no_;
    PictureEdit* name_;
};

// "Grup ...Yeni Giriş..." / "Grup ...Değişiklik...".
class KulFGrups : public NumberNameForm {
  public:
    KulFGrups(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLGrups rec,
              QWidget* parent = nullptr);
};

// "Menü Detay Girişi".
class KulFMenuList : public NumberNameForm {
  public:
    KulFMenuList(app::users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::MenuList rec,
                 QWidget* parent = nullptr);
};

// ---- lists ---------------------------------------------------------------------------------

// Base of the Kul windows: the context, the files the rules work on, and the way forms are run
// (modal; tests replace runForm to drive the form themselves).
class KulWindow : public QWidget {
    Q_OBJECT
  public:
    KulWindow(KulContext ctx, app::users::SecurityFiles files, QWidget* parent);
    app::users::SecurityFiles& files() { return files_; }
    // Runs a form; true when it saved something.
    std::function<bool(UpdateForm&)> runForm;
    // "Çıkış": closes the window.
    QPushButton* exitButton() const { return exit_; }
    // Room for the lists and their five right columns when no stored geometry says otherwise.
    QSize sizeHint() const override { return {780, 580}; }
    KulPickers pickers;

  protected:
    template <data::RecordStruct T>
    std::shared_ptr<TableSource<T>> source(std::vector<KeyOrder<T>> orders,
                                           std::vector<Column<T>> columns);
    KulContext ctx_;
    app::users::SecurityFiles files_;
    QPushButton* exit_ = nullptr;
};

// "Kullanıcı Tanımları".
class KulUserList : public KulWindow {
    Q_OBJECT
  public:
    static core::Result<std::unique_ptr<KulUserList>> open(KulContext ctx,
                                                           QWidget* parent = nullptr);
    BrowsePanel* users() const { return users_; }
    BrowsePanel* rights() const { return rights_; }
    BrowsePanel* groups() const { return groups_; }
    QPushButton* otomatikEkle() const { return otomatik_; }
    void grantAll();
    // The user selected in "Kullanıcı Listesi" (empty when none).
    std::string selectedUser() const;

  private:
    KulUserList(KulContext ctx, app::users::SecurityFiles files, QWidget* parent);
    void followUser();

    BrowsePanel* users_;
    BrowsePanel* rights_;
    BrowsePanel* groups_;
    QPushButton* otomatik_;
    std::shared_ptr<TableSource<data::KLDUsers>> rightsSource_;
    std::shared_ptr<TableSource<data::KLGUsers>> groupsSource_;
};

// "Grup Tanımları".
class KulGrupList : public KulWindow {
    Q_OBJECT
  public:
    static core::Result<std::unique_ptr<KulGrupList>> open(KulContext ctx,
                                                           QWidget* parent = nullptr);
    BrowsePanel* groups() const { return groups_; }
    BrowsePanel* rights() const { return rights_; }
    BrowsePanel* members() const { return members_; }
    QPushButton* otomatikEkle() const { return otomatik_; }
    void grantAll();
    std::optional<double> selectedGroup() const;

  private:
    KulGrupList(KulContext ctx, app::users::SecurityFiles files, QWidget* parent);
    void followGroup();

    BrowsePanel* groups_;
    BrowsePanel* rights_;
    BrowsePanel* members_;
    QPushButton* otomatik_;
    std::shared_ptr<TableSource<data::KLDGrups>> rightsSource_;
    std::shared_ptr<TableSource<data::KLGUsers>> membersSource_;
};

// "Menü Listesi": the menu catalogue; with pick = true it offers "Seç".
class KulMenuList : public KulWindow {
    Q_OBJECT
  public:
    static core::Result<std::unique_ptr<KulMenuList>> open(KulContext ctx, bool pick,
                                                           QWidget* parent = nullptr);
    BrowsePanel* list() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* excelButton() const { return excel_; }
    void exportToSheet();
    // The chosen row once "Seç" was pressed.
    const std::optional<data::MenuList>& chosen() const { return chosen_; }

  signals:
    void picked();
    void closeRequested();

  private:
    KulMenuList(KulContext ctx, app::users::SecurityFiles files, bool pick, QWidget* parent);
    BrowsePanel* list_;
    QPushButton* select_;
    QPushButton* excel_;
    std::optional<data::MenuList> chosen_;
};

// "Grup Tanımları Listesi" (KulBGrupList): the groups in number order, to pick one.
class KulBGrupList : public QDialog {
    Q_OBJECT
  public:
    static core::Result<std::unique_ptr<KulBGrupList>> open(KulContext ctx,
                                                            QWidget* parent = nullptr);
    BrowsePanel* list() const { return list_; }
    QPushButton* selectButton() const { return select_; }
    const std::optional<data::KLGrups>& chosen() const { return chosen_; }

  private:
    KulBGrupList(KulContext ctx, std::shared_ptr<TableSource<data::KLGrups>> src, QWidget* parent);
    BrowsePanel* list_;
    QPushButton* select_;
    std::optional<data::KLGrups> chosen_;
};

// Modal pick lists for the lookups; none when cancelled (or the list cannot be read, which is
// reported).
std::optional<data::MenuList> pickMenu(KulContext ctx, QWidget* parent);
std::optional<data::KLGrups> pickGroup(KulContext ctx, QWidget* parent);

// Registers KulUserList and KulGrupList as procedures: each opens its window as a child of the
// frame on the run's data set. Non-master users are refused even when something calls them
// directly.
void registerKulWindows(app::ProcedureRegistry& registry, MainFrame& frame);

} // namespace hk::ui
