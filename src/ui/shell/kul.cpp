#include "ui/shell/kul.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace hk::ui {
namespace {

namespace users = app::users;

QString title(const char* what, FormMode mode) {
    return QString::fromUtf8(what) + (mode == FormMode::Insert
                                          ? QStringLiteral(" ...Yeni Giriş...")
                                          : QStringLiteral(" ...Değişiklik..."));
}

QComboBox* yesNo(UpdateForm& f, const QString& label) {
    return f.addChoice(label, {QStringLiteral("Evet"), QStringLiteral("Hayır")});
}

QLineEdit* readOnlyText(UpdateForm& f, const QString& label) {
    auto* e = new QLineEdit(&f);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    f.fields()->addRow(label, e);
    return e;
}

// A typed number: blank is 0; what is not a number is refused with its field name.
core::Result<double> numberOf(const PictureEdit* e, const char* field) {
    auto v = e->number();
    if (!v) return core::Error::badInput(std::string(field) + ": " + v.error().text);
    return v.value();
}

// The lookup of a typed number: found -> its name; missing -> the pick list; a choice fills
// number and name, a cancel blanks the name and returns the cursor to the field.
template <typename Rec, typename Find, typename Pick, typename Number, typename Name>
void lookup(PictureEdit* field, QLineEdit* name, Find find, Pick pick, Number number, Name nameOf,
            app::Ui& ui, bool forcePick) {
    auto typed = field->number();
    std::optional<Rec> found;
    if (typed && typed.value() != 0 && !forcePick) {
        auto r = find(typed.value());
        if (!r) {
            reportError(ui, r.error(), 19);
            return;
        }
        found = r.value();
    }
    if (!found && pick) found = pick();
    if (found) {
        field->setNumber(number(*found));
        name->setText(QString::fromStdString(nameOf(*found)));
    } else {
        name->clear();
        field->setFocus();
    }
}

// The menu-number lookup of both rights forms: typed number -> its menu name, or the pick list.
void lookupMenu(PictureEdit* field, QLineEdit* name, users::SecurityFiles& f,
                const KulPickers& pickers, app::Ui& ui, bool forcePick) {
    lookup<data::MenuList>(
        field, name, [&f](double n) { return users::findMenu(f, n); }, pickers.menu,
        [](const data::MenuList& m) { return m.MENUNO; },
        [](const data::MenuList& m) { return m.MENUADI; }, ui, forcePick);
}

} // namespace

// ---- KulFUser --------------------------------------------------------------------------------

KulFUser::KulFUser(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLUsers rec,
                   QWidget* parent)
    : UpdateForm(ui, mode, parent), f_(f), rec_(std::move(rec)) {
    setWindowTitle(title("Kullanıcı", mode));
    id_ = addText(QStringLiteral("Kullanıcı Kod"), "s10");
    password_ = addText(QStringLiteral(" Şifre"), "s20");
    password_->setEchoMode(QLineEdit::Password);
    name_ = addText(QStringLiteral("İsim"), "s30");
    master_ = addCheck(QStringLiteral(" Ana Kullanıcı"));
    declare();
    open();
}

// The record's fields; the password is not one of them (only its hash is stored, and the rules
// make it from the typed text).
void KulFUser::declare() {
    using data::KLUsers;
    bind_.text(id_, &KLUsers::ID);
    bind_.text(name_, &KLUsers::NAME);
    bind_.check(master_, &KLUsers::MASTERUSER);
    // the ID is the key the user's rights and memberships are filed under
    bind_.enableWhen(id_, [this](const KLUsers&) { return mode() == FormMode::Insert; });
}

void KulFUser::load() {
    const bool insert = mode() == FormMode::Insert;
    bind_.show(insert ? data::KLUsers{} : rec_);
    password_->clear();
    password_->setPlaceholderText(insert ? QString()
                                         : QStringLiteral("(boş bırakılırsa değişmez)"));
}

core::Status KulFUser::save() {
    auto u = bind_.take(rec_);
    if (!u) return u.error();
    const std::string pw = password_->textValue();
    core::Status st = mode() == FormMode::Insert
                          ? users::addUser(f_, u.value(), pw)
                          : users::changeUser(f_, u.value(),
                                              pw.empty() ? std::nullopt
                                                         : std::optional<std::string>(pw));
    if (st) savedId_ = u.value().ID;
    return st;
}

// ---- the rights forms -----------------------------------------------------------------------

RightsForm::RightsForm(users::SecurityFiles& f, app::Ui& ui, FormMode mode, KulPickers pickers,
                       QWidget* parent)
    : UpdateForm(ui, mode, parent), f_(f), pickers_(std::move(pickers)) {}

void RightsForm::addRightsFields(FirstRight first) {
    menu_ = addLookup(QStringLiteral("Menü No"), "n_6", &lookup_);
    menuName_ = readOnlyText(*this, QString());
    group_ = addText(QStringLiteral("Grup No"), "n_5");
    if (first == FirstRight::Izle) {
        rights_.IZLE = yesNo(*this, QStringLiteral("Izle"));
        rights_.GOSTER = yesNo(*this, QStringLiteral("Göster"));
    } else {
        rights_.GOSTER = yesNo(*this, QStringLiteral("Göster"));
        rights_.IZLE = yesNo(*this, QStringLiteral("Izle"));
    }
    rights_.YENIGIR = yesNo(*this, QStringLiteral("YeniGir"));
    rights_.DEGISTIR = yesNo(*this, QStringLiteral("Değiştir"));
    rights_.SIL = yesNo(*this, QStringLiteral("Sil"));
    connect(menu_, &QLineEdit::editingFinished, this, [this] {
        if (menu_->isModified()) checkMenu();
        menu_->setModified(false);
    });
    connect(lookup_, &QPushButton::clicked, this,
            [this] { lookupMenu(menu_, menuName_, f_, pickers_, this->ui(), true); });
}

void RightsForm::checkMenu() { lookupMenu(menu_, menuName_, f_, pickers_, ui(), false); }

template <typename Row> void RightsForm::declareRights(FormBinding<Row>& b) {
    b.add(
        [this](const Row& r) {
            if (mode() == FormMode::Insert) {
                menu_->clear();
                menuName_->clear();
            } else {
                menu_->setNumber(r.MENUNO);
                menuName_->setText(QString::fromStdString(r.MENUADI));
            }
        },
        [this](Row& r) -> core::Status {
            auto menu = numberOf(menu_, "Menü No");
            if (!menu) return menu.error();
            r.MENUNO = menu.value();
            return {};
        },
        [](const Row& from, Row& to) { to.MENUNO = from.MENUNO; });
    b.evetHayir(rights_.GOSTER, &Row::GOSTER);
    b.evetHayir(rights_.IZLE, &Row::IZLE);
    b.evetHayir(rights_.YENIGIR, &Row::YENIGIR);
    b.evetHayir(rights_.DEGISTIR, &Row::DEGISTIR);
    b.evetHayir(rights_.SIL, &Row::SIL);
}

KulFDUsers::KulFDUsers(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLDUsers rec,
                       KulPickers pickers, QWidget* parent)
    : RightsForm(f, ui, mode, std::move(pickers), parent), rec_(std::move(rec)) {
    setWindowTitle(QStringLiteral("Yetki Detay Girişi"));
    user_ = addText(QStringLiteral("Kullanıcı Kod"), "s10");
    user_->setEnabled(false);
    addRightsFields(FirstRight::Izle);
    using data::KLDUsers;
    bind_.showOnly([this](const KLDUsers& r) { user_->setTextValue(r.ID); });
    declareRights(bind_);
    // user and group stay as they are when changing; the menu number may change
    bind_.add([this](const KLDUsers& r) { group_->setNumber(r.GRUPNO); },
              [this](KLDUsers& r) -> core::Status {
                  if (this->mode() != FormMode::Insert) return {};
                  auto group = numberOf(group_, "Grup No");
                  if (!group) return group.error();
                  r.GRUPNO = group.value();
                  return {};
              },
              [](const KLDUsers& from, KLDUsers& to) { to.GRUPNO = from.GRUPNO; });
    bind_.enableWhen(group_, [this](const KLDUsers&) { return this->mode() == FormMode::Insert; });
    open();
}

void KulFDUsers::load() {
    // a new row is the user's, in no group yet, granting nothing
    data::KLDUsers shown;
    shown.ID = rec_.ID;
    bind_.show(mode() == FormMode::Insert ? shown : rec_);
}

core::Status KulFDUsers::save() {
    auto row = bind_.take(rec_);
    if (!row) return row.error();
    return mode() == FormMode::Insert ? users::addUserRight(f_, row.value())
                                      : users::changeUserRight(f_, rec_.MENUNO, row.value());
}

KulFDGrups::KulFDGrups(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLDGrups rec,
                       KulPickers pickers, QWidget* parent)
    : RightsForm(f, ui, mode, std::move(pickers), parent), rec_(std::move(rec)) {
    setWindowTitle(QStringLiteral("Grup Yetki Detayı Girişi"));
    addRightsFields(FirstRight::Goster);
    group_->setEnabled(false);
    declareRights(bind_);
    bind_.showOnly([this](const data::KLDGrups& r) { group_->setNumber(r.GRUPNO); });
    open();
}

void KulFDGrups::load() {
    // a new row is the group's, granting nothing yet
    data::KLDGrups shown;
    shown.GRUPNO = rec_.GRUPNO;
    bind_.show(mode() == FormMode::Insert ? shown : rec_);
}

core::Status KulFDGrups::save() {
    auto row = bind_.take(rec_);
    if (!row) return row.error();
    return mode() == FormMode::Insert ? users::addGroupRight(f_, row.value())
                                      : users::changeGroupRight(f_, rec_.MENUNO, row.value());
}

// ---- KulFGUsers ------------------------------------------------------------------------------

KulFGUsers::KulFGUsers(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLGUsers rec,
                       KulPickers pickers, QWidget* parent)
    : UpdateForm(ui, mode, parent), f_(f),
      rec_(std::move(rec)), pickers_(std::move(pickers)) {
    setWindowTitle(QStringLiteral("Kullanıcı Grup Detay Girişi"));
    user_ = addText(QStringLiteral("Kullanıcı Kod"), "s10");
    user_->setEnabled(false);
    group_ = addLookup(QStringLiteral("Grup No"), "n_5", &lookup_);
    groupName_ = readOnlyText(*this, QStringLiteral("Grup Adı"));
    connect(group_, &QLineEdit::editingFinished, this, [this] {
        if (group_->isModified()) checkGroup();
        group_->setModified(false);
    });
    connect(lookup_, &QPushButton::clicked, this, [this] {
        lookup<data::KLGrups>(
            group_, groupName_, [this](double n) { return users::findGroup(f_, n); },
            pickers_.group, [](const data::KLGrups& g) { return g.GRUPNO; },
            [](const data::KLGrups& g) { return g.GRUPADI; }, this->ui(), true);
    });
    open();
    user_->setEnabled(false);
}

void KulFGUsers::checkGroup() {
    lookup<data::KLGrups>(
        group_, groupName_, [this](double n) { return users::findGroup(f_, n); }, pickers_.group,
        [](const data::KLGrups& g) { return g.GRUPNO; },
        [](const data::KLGrups& g) { return g.GRUPADI; }, ui(), false);
}

void KulFGUsers::load() {
    user_->setTextValue(rec_.ID);
    if (mode() == FormMode::Insert) {
        group_->clear();
        groupName_->clear();
    } else {
        group_->setNumber(rec_.GRUPNO);
        groupName_->setText(QString::fromStdString(rec_.GRUPADI));
    }
}

core::Status KulFGUsers::save() {
    auto g = numberOf(group_, "Grup No");
    if (!g) return g.error();
    auto copied = mode() == FormMode::Insert
                      ? users::addMembership(f_, rec_.ID, g.value())
                      : users::changeMembership(f_, rec_.ID, rec_.GRUPNO, g.value());
    if (!copied) return copied.error();
    return {};
}

// ---- number and name forms -------------------------------------------------------------------

NumberNameForm::NumberNameForm(app::Ui& ui, FormMode mode, NumberNameDeclaration d, QWidget* parent)
    : UpdateForm(ui, mode, parent), d_(std::move(d)) {
    setWindowTitle(d_.title);
    no_ = addText(d_.numberCaption, d_.numberPicture);
    name_ = addText(d_.nameCaption, d_.namePicture);
    open();
}

void NumberNameForm::load() {
    const bool insert = mode() == FormMode::Insert;
    if (insert)
        no_->clear();
    else
        no_->setNumber(d_.number);
    no_->setEnabled(insert || !d_.numberFixedOnChange);
    name_->setTextValue(insert ? std::string() : d_.name);
}

core::Status NumberNameForm::save() {
    const std::string caption = d_.numberCaption.toStdString();
    auto n = numberOf(no_, caption.c_str());
    if (!n) return n.error();
    return d_.save(mode(), d_.number, n.value(), name_->textValue());
}

KulFGrups::KulFGrups(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::KLGrups rec,
                     QWidget* parent)
    : NumberNameForm(ui, mode,
                     {title("Grup", mode), QStringLiteral("Grup No"), "n_5",
                      QStringLiteral("Grup Adı"), "s30", rec.GRUPNO, rec.GRUPADI, true,
                      [&f, rec](FormMode m, double before, double no, const std::string& name) {
                          data::KLGrups g = rec;
                          g.GRUPNO = no;
                          g.GRUPADI = name;
                          (void)before; // fixed: the group is found by its own number
                          return m == FormMode::Insert ? users::addGroup(f, g)
                                                       : users::changeGroup(f, g);
                      }},
                     parent) {}

KulFMenuList::KulFMenuList(users::SecurityFiles& f, app::Ui& ui, FormMode mode, data::MenuList rec,
                           QWidget* parent)
    : NumberNameForm(ui, mode,
                     {QStringLiteral("Menü Detay Girişi"), QStringLiteral("Menü No"), "n_6",
                      QStringLiteral("Menü Adı"), "s50", rec.MENUNO, rec.MENUADI, false,
                      [&f, rec](FormMode m, double before, double no, const std::string& name) {
                          data::MenuList x = rec;
                          x.MENUNO = no;
                          x.MENUADI = name;
                          return m == FormMode::Insert ? users::addMenu(f, x)
                                                       : users::changeMenu(f, before, x);
                      }},
                     parent) {}

} // namespace hk::ui
