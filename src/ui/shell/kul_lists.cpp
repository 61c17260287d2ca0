#include "app/message.h"
#include "app/procedure.h"
#include "app/menu_export.h"
#include "app/session.h"
#include "ui/framework/form_messages.h"
#include "ui/shell/frame.h"
#include "ui/shell/kul.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace hk::ui {
namespace {

namespace users = app::users;
using data::KLDGrups;
using data::KLDUsers;
using data::KLGrups;
using data::KLGUsers;
using data::KLUsers;
using data::MenuList;

constexpr double kLow = -std::numeric_limits<double>::max();
constexpr double kHigh = std::numeric_limits<double>::max();

// The locator of a number key: the typed digits as a number; anything else finds nothing.
bool typedNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (errno != 0 || end == s.c_str() || *end != '\0') return false;
    out = v;
    return true;
}

Cell text(const std::string& s) {
    return Cell{s};
}
Cell num(double v) {
    return Cell{v};
}

template <typename Row> std::vector<Column<Row>> rightsColumns() {
    return {{QStringLiteral("M.No"), 6, "n_6", [](const Row& r) { return num(r.MENUNO); }},
            {QStringLiteral("Menü Adı"), 40, "s50", [](const Row& r) { return text(r.MENUADI); }},
            {QStringLiteral("G"), 2, "s1", [](const Row& r) { return text(r.GOSTER); }},
            {QStringLiteral("I"), 2, "s1", [](const Row& r) { return text(r.IZLE); }},
            {QStringLiteral("Y"), 2, "s1", [](const Row& r) { return text(r.YENIGIR); }},
            {QStringLiteral("D"), 2, "s1", [](const Row& r) { return text(r.DEGISTIR); }},
            {QStringLiteral("S"), 2, "s1", [](const Row& r) { return text(r.SIL); }}};
}

QWidget* titled(const QString& title, QWidget* inner, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* lay = new QVBoxLayout(box);
    lay->setContentsMargins(4, 4, 4, 4);
    lay->addWidget(inner);
    return box;
}

bool execForm(UpdateForm& f) {
    return f.exec() == QDialog::Accepted;
}

// The layout of both administration windows: the master list on top, its dependent lists in
// tabs below, "Çıkış" at the bottom right. Returns the exit button.
QPushButton* masterDetail(QWidget* w, const QString& title, QWidget* master,
                          std::initializer_list<std::pair<QWidget*, QString>> details) {
    auto* tabs = new QTabWidget(w);
    for (const auto& [widget, caption] : details) tabs->addTab(widget, caption);
    auto* split = new QSplitter(Qt::Vertical, w);
    split->addWidget(titled(title, master, split));
    split->addWidget(tabs);
    auto* exit = new QPushButton(QStringLiteral("Çıkış"), w);
    QObject::connect(exit, &QPushButton::clicked, w, [w] { closeOwnWindow(w); });
    auto* lay = new QVBoxLayout(w);
    lay->addWidget(split, 1);
    lay->addWidget(exit, 0, Qt::AlignRight);
    return exit;
}

} // namespace

// ---- KulWindow -------------------------------------------------------------------------------

KulWindow::KulWindow(KulContext ctx, users::SecurityFiles files, QWidget* parent)
    : QWidget(parent), runForm(execForm), ctx_(ctx), files_(std::move(files)) {
    pickers.menu = [this] { return pickMenu(ctx_, this); };
    pickers.group = [this] { return pickGroup(ctx_, this); };
}

template <data::RecordStruct T>
std::shared_ptr<TableSource<T>> KulWindow::source(std::vector<KeyOrder<T>> orders,
                                                  std::vector<Column<T>> columns) {
    // Each list reads through a table object of its own, so its position is its own.
    auto t = ctx_.db->table(data::fileDef(T::kLayout));
    data::TypedTable<T> typed =
        t ? data::TypedTable<T>(std::move(t.value())) : data::TypedTable<T>();
    if (!t) reportError(*ctx_.ui, t.error(), 23);
    return std::make_shared<TableSource<T>>(std::move(typed), std::move(orders),
                                            std::move(columns));
}

// ---- KulUserList -----------------------------------------------------------------------------

core::Result<std::unique_ptr<KulUserList>> KulUserList::open(KulContext ctx, QWidget* parent) {
    auto files = users::open(*ctx.db);
    if (!files) return files.error();
    return std::unique_ptr<KulUserList>(new KulUserList(ctx, std::move(files.value()), parent));
}

KulUserList::KulUserList(KulContext ctx, users::SecurityFiles files, QWidget* parent)
    : KulWindow(ctx, std::move(files), parent) {
    setWindowTitle(QStringLiteral("Kullanıcı Tanımları"));
    app::Ui& ui = *ctx_.ui;

    auto usersSource = source<KLUsers>(
        {{"USR:IdKey",
          [](KLUsers& u, const std::string& s) {
              u.ID = s;
              return true;
          }}},
        {{QStringLiteral("Kod"), 10, "s10", [](const KLUsers& u) { return text(u.ID); }},
         {QStringLiteral("İsim"), 30, "s30", [](const KLUsers& u) { return text(u.NAME); }},
         {QStringLiteral("A"), 2, "n_1", [](const KLUsers& u) { return num(u.MASTERUSER); }},
         // the password column of the list has no width: nothing of it is ever shown
         {QStringLiteral("Şifre"), 0, "s1", [](const KLUsers&) { return text(""); }}});
    users_ = new BrowsePanel(usersSource, {}, ui, this);

    rightsSource_ = source<KLDUsers>(
        {{"Dusr:IdKey",
          [](KLDUsers& r, const std::string& s) { return typedNumber(s, r.MENUNO); }}},
        rightsColumns<KLDUsers>());
    rights_ = new BrowsePanel(rightsSource_, {}, ui, this);
    otomatik_ = rights_->addButton(QStringLiteral("Otomatik Ekle"));

    groupsSource_ = source<KLGUsers>(
        {{"Gusr:IdKey",
          [](KLGUsers& g, const std::string& s) { return typedNumber(s, g.GRUPNO); }}},
        {{QStringLiteral("Grup No"), 6, "n_5", [](const KLGUsers& g) { return num(g.GRUPNO); }},
         {QStringLiteral("Grup Adı"), 30, "s30",
          [](const KLGUsers& g) { return text(g.GRUPADI); }}});
    groups_ = new BrowsePanel(groupsSource_, {}, ui, this);

    // master users only reach this window: every action is allowed
    users_->allowAll();
    rights_->allowAll();
    groups_->allowAll();

    exit_ = masterDetail(this, QStringLiteral("Kullanıcı Listesi"), users_,
                         {{rights_, QStringLiteral("Kullanıcıya Bağlı Menüler")},
                          {groups_, QStringLiteral("Kullanıcıya Bağlı Gruplar")}});

    users_->onSelect = [this](const BrowseRow*) { followUser(); };
    users_->onInsert = [this] {
        KulFUser f(files_, *ctx_.ui, FormMode::Insert, {}, this);
        return runForm(f);
    };
    users_->onChange = [this](const BrowseRow& row) {
        KulFUser f(files_, *ctx_.ui, FormMode::Change, TableSource<KLUsers>::record(row), this);
        return runForm(f);
    };
    users_->onRemove = [this](const BrowseRow& row) {
        return users::deleteUser(files_, TableSource<KLUsers>::record(row).ID);
    };

    rights_->onInsert = [this] {
        if (selectedUser().empty()) return false;
        KLDUsers r;
        r.ID = selectedUser();
        KulFDUsers f(files_, *ctx_.ui, FormMode::Insert, r, pickers, this);
        return runForm(f);
    };
    rights_->onChange = [this](const BrowseRow& row) {
        KulFDUsers f(files_, *ctx_.ui, FormMode::Change, TableSource<KLDUsers>::record(row),
                     pickers, this);
        return runForm(f);
    };
    rights_->onRemove = [this](const BrowseRow& row) {
        const KLDUsers& r = TableSource<KLDUsers>::record(row);
        return users::deleteUserRight(files_, r.ID, r.MENUNO);
    };
    connect(otomatik_, &QPushButton::clicked, this, &KulUserList::grantAll);

    groups_->onInsert = [this] {
        if (selectedUser().empty()) return false;
        KLGUsers m;
        m.ID = selectedUser();
        KulFGUsers f(files_, *ctx_.ui, FormMode::Insert, m, pickers, this);
        const bool saved = runForm(f);
        if (saved) rights_->reload(); // the group's rights were copied
        return saved;
    };
    groups_->onChange = [this](const BrowseRow& row) {
        KulFGUsers f(files_, *ctx_.ui, FormMode::Change, TableSource<KLGUsers>::record(row),
                     pickers, this);
        const bool saved = runForm(f);
        if (saved) rights_->reload(); // the new group's rights were copied
        return saved;
    };
    groups_->onRemove = [this](const BrowseRow& row) -> core::Status {
        const KLGUsers& m = TableSource<KLGUsers>::record(row);
        auto removed = users::removeMembership(files_, m.ID, m.GRUPNO);
        if (!removed) return removed.error();
        rights_->reload();
        return {};
    };
    followUser();
}

std::string KulUserList::selectedUser() const {
    const BrowseRow* row = users_->selected();
    return row ? TableSource<KLUsers>::record(*row).ID : std::string();
}

void KulUserList::followUser() {
    const std::string id = selectedUser();
    KLDUsers low, high;
    low.ID = high.ID = id;
    low.MENUNO = kLow;
    high.MENUNO = kHigh;
    rightsSource_->setRange(KeyRange<KLDUsers>{low, high, 1});
    KLGUsers glow, ghigh;
    glow.ID = ghigh.ID = id;
    glow.GRUPNO = kLow;
    ghigh.GRUPNO = kHigh;
    groupsSource_->setRange(KeyRange<KLGUsers>{glow, ghigh, 1});
    rights_->reload();
    groups_->reload();
    const bool any = !id.empty();
    rights_->insertButton()->setEnabled(any);
    groups_->insertButton()->setEnabled(any);
    otomatik_->setEnabled(any);
}

void KulUserList::grantAll() {
    const std::string id = selectedUser();
    if (id.empty()) return;
    auto n = users::grantAllToUser(files_, id);
    if (!n) reportError(*ctx_.ui, n.error(), 4);
    rights_->reload();
}

// ---- KulGrupList -----------------------------------------------------------------------------

core::Result<std::unique_ptr<KulGrupList>> KulGrupList::open(KulContext ctx, QWidget* parent) {
    auto files = users::open(*ctx.db);
    if (!files) return files.error();
    return std::unique_ptr<KulGrupList>(new KulGrupList(ctx, std::move(files.value()), parent));
}

KulGrupList::KulGrupList(KulContext ctx, users::SecurityFiles files, QWidget* parent)
    : KulWindow(ctx, std::move(files), parent) {
    setWindowTitle(QStringLiteral("Grup Tanımları"));
    app::Ui& ui = *ctx_.ui;
    auto groupsSource = source<KLGrups>(
        {{"Grp:KyGrup", [](KLGrups& g, const std::string& s) { return typedNumber(s, g.GRUPNO); }}},
        {{QStringLiteral("Grup No"), 6, "n_5", [](const KLGrups& g) { return num(g.GRUPNO); }},
         {QStringLiteral("Grup Adı"), 30, "s30",
          [](const KLGrups& g) { return text(g.GRUPADI); }}});
    groups_ = new BrowsePanel(groupsSource, {}, ui, this);
    rightsSource_ = source<KLDGrups>(
        {{"Dgrp:GrpKey",
          [](KLDGrups& r, const std::string& s) { return typedNumber(s, r.MENUNO); }}},
        rightsColumns<KLDGrups>());
    rights_ = new BrowsePanel(rightsSource_, {}, ui, this);
    otomatik_ = rights_->addButton(QStringLiteral("Otomatik Ekle"));
    membersSource_ = source<KLGUsers>(
        {{"Gusr:GrupKey", {}}},
        {{QStringLiteral("Kod"), 10, "s10", [](const KLGUsers& m) { return text(m.ID); }},
         {QStringLiteral("Grup No"), 6, "n_5", [](const KLGUsers& m) { return num(m.GRUPNO); }}});
    members_ = new BrowsePanel(membersSource_, {}, ui, this);
    groups_->allowAll();
    rights_->allowAll();
    members_->readOnly();
    members_->setLocatorVisible(false);

    exit_ = masterDetail(this, QStringLiteral("Grup Tanımları"), groups_,
                         {{rights_, QStringLiteral("Gruba Bağlı Menüler")},
                          {members_, QStringLiteral("Gruba Bağlı Kullanıcılar")}});

    groups_->onSelect = [this](const BrowseRow*) { followGroup(); };
    groups_->onInsert = [this] {
        KulFGrups f(files_, *ctx_.ui, FormMode::Insert, {}, this);
        return runForm(f);
    };
    groups_->onChange = [this](const BrowseRow& row) {
        KulFGrups f(files_, *ctx_.ui, FormMode::Change, TableSource<KLGrups>::record(row), this);
        return runForm(f);
    };
    groups_->onRemove = [this](const BrowseRow& row) {
        return users::deleteGroup(files_, TableSource<KLGrups>::record(row).GRUPNO);
    };
    rights_->onInsert = [this] {
        auto g = selectedGroup();
        if (!g) return false;
        KLDGrups r;
        r.GRUPNO = *g;
        KulFDGrups f(files_, *ctx_.ui, FormMode::Insert, r, pickers, this);
        return runForm(f);
    };
    rights_->onChange = [this](const BrowseRow& row) {
        KulFDGrups f(files_, *ctx_.ui, FormMode::Change, TableSource<KLDGrups>::record(row),
                     pickers, this);
        return runForm(f);
    };
    rights_->onRemove = [this](const BrowseRow& row) {
        const KLDGrups& r = TableSource<KLDGrups>::record(row);
        return users::deleteGroupRight(files_, r.GRUPNO, r.MENUNO);
    };
    connect(otomatik_, &QPushButton::clicked, this, &KulGrupList::grantAll);
    followGroup();
}

std::optional<double> KulGrupList::selectedGroup() const {
    const BrowseRow* row = groups_->selected();
    if (!row) return std::nullopt;
    return TableSource<KLGrups>::record(*row).GRUPNO;
}

void KulGrupList::followGroup() {
    const double g = selectedGroup().value_or(0);
    KLDGrups low, high;
    low.GRUPNO = high.GRUPNO = g;
    low.MENUNO = kLow;
    high.MENUNO = kHigh;
    rightsSource_->setRange(KeyRange<KLDGrups>{low, high, 1});
    KLGUsers m;
    m.GRUPNO = g;
    membersSource_->setRange(KeyRange<KLGUsers>{m, m, 1});
    rights_->reload();
    members_->reload();
    const bool any = selectedGroup().has_value();
    rights_->insertButton()->setEnabled(any);
    otomatik_->setEnabled(any);
}

void KulGrupList::grantAll() {
    auto g = selectedGroup();
    if (!g) return;
    auto n = users::grantAllToGroup(files_, *g);
    if (!n) reportError(*ctx_.ui, n.error(), 4);
    rights_->reload();
}

// ---- KulMenuList -----------------------------------------------------------------------------

core::Result<std::unique_ptr<KulMenuList>> KulMenuList::open(KulContext ctx, bool pick,
                                                             QWidget* parent) {
    auto files = users::open(*ctx.db);
    if (!files) return files.error();
    return std::unique_ptr<KulMenuList>(
        new KulMenuList(ctx, std::move(files.value()), pick, parent));
}

KulMenuList::KulMenuList(KulContext ctx, users::SecurityFiles files, bool pick, QWidget* parent)
    : KulWindow(ctx, std::move(files), parent) {
    setWindowTitle(QStringLiteral("Menü Listesi"));
    auto src = source<MenuList>(
        {{"Men:KyMenu",
          [](MenuList& m, const std::string& s) { return typedNumber(s, m.MENUNO); }}},
        {{QStringLiteral("M.No"), 6, "n_6", [](const MenuList& m) { return num(m.MENUNO); }},
         {QStringLiteral("Menu Adı"), 50, "s50",
          [](const MenuList& m) { return text(m.MENUADI); }}});
    list_ = new BrowsePanel(src, {}, *ctx_.ui, this);
    list_->applyRights({true, true, false, false}); // the catalogue offers no delete
    select_ = new QPushButton(QStringLiteral("Seç"), this);
    excel_ = new QPushButton(QStringLiteral("Excel"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    select_->setVisible(pick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select_);
    buttons->addStretch(1);
    buttons->addWidget(excel_);
    buttons->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addLayout(buttons);

    list_->onInsert = [this] {
        KulFMenuList f(files_, *ctx_.ui, FormMode::Insert, {}, this);
        return runForm(f);
    };
    list_->onChange = [this](const BrowseRow& row) {
        KulFMenuList f(files_, *ctx_.ui, FormMode::Change, TableSource<MenuList>::record(row),
                       this);
        return runForm(f);
    };
    auto choose = [this] {
        if (const BrowseRow* row = list_->selected()) {
            chosen_ = TableSource<MenuList>::record(*row);
            emit picked();
        }
    };
    connect(select_, &QPushButton::clicked, this, choose);
    if (pick) {
        // in a pick list a double click chooses instead of opening the form
        disconnect(list_->view(), &QTableView::doubleClicked, nullptr, nullptr);
        connect(list_->view(), &QTableView::doubleClicked, this, choose);
    }
    connect(excel_, &QPushButton::clicked, this, &KulMenuList::exportToSheet);
    connect(exit_, &QPushButton::clicked, this, [this] {
        emit closeRequested(); // a pick dialog holding the list closes on this
        if (!qobject_cast<QDialog*>(window())) closeOwnWindow(this);
    });
}

void KulMenuList::exportToSheet() {
    if (!ctx_.dataSet) {
        // without the data set the export has nothing to read from
        app::raiseNotBuilt(*ctx_.ui, "KulMenuList Excel");
        return;
    }
    app::exportMenuList(*ctx_.ui, *ctx_.dataSet, output::ExportTarget{});
}

// ---- KulBGrupList and the pick lists ---------------------------------------------------------

core::Result<std::unique_ptr<KulBGrupList>> KulBGrupList::open(KulContext ctx, QWidget* parent) {
    auto t = ctx.db->table(data::fileDef(data::Layout::KLGrups));
    if (!t) return t.error();
    auto src = std::make_shared<TableSource<KLGrups>>(
        data::TypedTable<KLGrups>(std::move(t.value())),
        std::vector<KeyOrder<KLGrups>>{
            {"Grp:KyGrup",
             [](KLGrups& g, const std::string& s) { return typedNumber(s, g.GRUPNO); }}},
        std::vector<Column<KLGrups>>{
            {QStringLiteral("Grup No"), 6, "n_5", [](const KLGrups& g) { return num(g.GRUPNO); }},
            {QStringLiteral("Grup Adı"), 30, "s30",
             [](const KLGrups& g) { return text(g.GRUPADI); }}});
    return std::unique_ptr<KulBGrupList>(new KulBGrupList(ctx, std::move(src), parent));
}

KulBGrupList::KulBGrupList(KulContext ctx, std::shared_ptr<TableSource<KLGrups>> src,
                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Grup Tanımları Listesi"));
    list_ = new BrowsePanel(std::move(src), {}, *ctx.ui, this);
    list_->readOnly();
    auto* box = new QDialogButtonBox(this);
    select_ = box->addButton(QStringLiteral("Seç"), QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("Vazgeç"), QDialogButtonBox::RejectRole);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addWidget(box);
    auto choose = [this] {
        if (const BrowseRow* row = list_->selected()) {
            chosen_ = TableSource<KLGrups>::record(*row);
            accept();
        }
    };
    connect(box, &QDialogButtonBox::accepted, this, choose);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_->view(), &QTableView::doubleClicked, this, choose);
    resize(420, 360);
}

std::optional<MenuList> pickMenu(KulContext ctx, QWidget* parent) {
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("Menü Listesi"));
    auto list = KulMenuList::open(ctx, true, &dlg);
    if (!list) {
        reportError(*ctx.ui, list.error(), 23);
        return std::nullopt;
    }
    KulMenuList* w = list.value().release(); // owned by the dialog from here on
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(w);
    QObject::connect(w, &KulMenuList::picked, &dlg, &QDialog::accept);
    QObject::connect(w, &KulMenuList::closeRequested, &dlg, &QDialog::reject);
    dlg.resize(520, 420);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return w->chosen();
}

std::optional<KLGrups> pickGroup(KulContext ctx, QWidget* parent) {
    auto dlg = KulBGrupList::open(ctx, parent);
    if (!dlg) {
        reportError(*ctx.ui, dlg.error(), 23);
        return std::nullopt;
    }
    if (dlg.value()->exec() != QDialog::Accepted) return std::nullopt;
    return dlg.value()->chosen();
}

namespace {
template <typename W>
core::Result<std::unique_ptr<QWidget>> widget(core::Result<std::unique_ptr<W>> w) {
    if (!w) return w.error();
    return std::unique_ptr<QWidget>(std::move(w.value()));
}
} // namespace

KulContext KulContext::of(app::ProcedureContext& ctx) {
    return KulContext{&ctx.data.data(), &ctx.data, &ctx.ui};
}

// ---- catalogue -------------------------------------------------------------------------------

void registerKulWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    for (const char* name : {"KulUserList", "KulGrupList"}) {
        app::ProcedureSpec spec;
        spec.name = name;
        spec.run = [&frame, procedure = std::string(name)](app::ProcedureContext& ctx,
                                                           const app::Options&) -> core::Status {
            if (ctx.session.AnaKullanici != 1)
                return core::Error::refused(
                    "Kullanıcı ve grup tanımları yalnız ana kullanıcılar içindir.");
            KulContext kc = KulContext::of(ctx);
            core::Result<std::unique_ptr<QWidget>> w =
                procedure == "KulUserList" ? widget(KulUserList::open(kc))
                                           : widget(KulGrupList::open(kc));
            if (!w) return app::withMessage(w.error(), 23);
            frame.openChild(procedure, std::move(w.value()));
            return {};
        };
        registry.add(std::move(spec));
    }
}

} // namespace hk::ui
