// The user and group windows over a real data folder database: "Otomatik Ekle", adding and
// removing memberships (the copied rights rows appear and go), the lookups of the forms, the
// password stored as a hash and the refusals shown through the Ui port.
#include "app/testing/fake_ui.h"
#include "app/users.h"
#include "data/database.h"
#include "ui/framework/fields.h"
#include "ui/shell/kul.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <sodium.h>

using hk::app::testing::FakeUi;
namespace users = hk::app::users;
using namespace hk::ui;

namespace {

QStringList column(BrowsePanel* p, int col) {
    QStringList out;
    for (int r = 0; r < p->model()->rowCount(); ++r)
        out << p->model()->data(p->model()->index(r, col), Qt::DisplayRole).toString();
    return out;
}

int rowOf(BrowsePanel* p, int col, const QString& value) {
    return column(p, col).indexOf(value);
}

} // namespace

class KulTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<hk::data::Database> db;
    std::optional<users::SecurityFiles> files;
    FakeUi ui;

    KulContext ctx() { return KulContext{&*db, nullptr, &ui}; }

    std::map<double, std::pair<double, std::string>> rightsOf(const std::string& id) {
        std::map<double, std::pair<double, std::string>> out;
        const auto rows = users::userRights(*files, id);
        for (const auto& r : rows.value())
            out[r.MENUNO] = {r.GRUPNO, r.GOSTER};
        return out;
    }

  private slots:
    void init() {
        QVERIFY(dir.isValid());
        QFile::remove(dir.filePath("Hesapkar.db"));
        auto d = hk::data::Database::open((dir.path() + "/Hesapkar.db").toStdString());
        QVERIFY(d.ok());
        db.emplace(std::move(d.value()));
        auto f = users::open(*db);
        QVERIFY(f.ok());
        files.emplace(std::move(f.value()));
        ui = FakeUi{};
        for (auto [no, name] : std::initializer_list<std::pair<double, const char*>>{
                 {1000, "=Fiş İşlemleri"},
                 {2020, "Raporlar Mizan Raporları"},
                 {3000, "=Hesap Planı Listesi"}}) {
            hk::data::MenuList m;
            m.MENUNO = no;
            m.MENUADI = name;
            QVERIFY(users::addMenu(*files, m).ok());
        }
        for (auto [no, name] : std::initializer_list<std::pair<double, const char*>>{
                 {1, "Muhasebe"}, {2, "Denetim"}}) {
            hk::data::KLGrups g;
            g.GRUPNO = no;
            g.GRUPADI = name;
            QVERIFY(users::addGroup(*files, g).ok());
        }
        for (auto [g, menu, goster] :
             std::initializer_list<std::tuple<double, double, const char*>>{
                 {1, 2020, "H"}, {2, 2020, "E"}, {2, 3000, "E"}}) {
            hk::data::KLDGrups r;
            r.GRUPNO = g;
            r.MENUNO = menu;
            r.GOSTER = goster;
            QVERIFY(users::addGroupRight(*files, r).ok());
        }
        hk::data::KLUsers a;
        a.ID = "ALİ";
        a.NAME = "Ali Veli";
        QVERIFY(users::addUser(*files, a, "").ok());
        hk::data::KLUsers m;
        m.ID = "HESAPKAR";
        m.NAME = "HESAPKAR";
        m.MASTERUSER = 1;
        QVERIFY(users::addUser(*files, m, "").ok());
    }

    void cleanup() {
        files.reset();
        db.reset();
    }

    void otomatikEkleFillsTheRightsListOnce() {
        auto w = KulUserList::open(ctx());
        QVERIFY(w.ok());
        KulUserList& list = *w.value();
        QCOMPARE(column(list.users(), 0), QStringList({"ALİ", "HESAPKAR"}));
        QCOMPARE(column(list.users(), 2), QStringList({"0", "1"}));
        list.users()->selectRow(0);
        QCOMPARE(list.rights()->model()->rowCount(), 0);
        QTest::mouseClick(list.otomatikEkle(), Qt::LeftButton);
        QCOMPARE(column(list.rights(), 0), QStringList({"1000", "2020", "3000"}));
        QCOMPARE(column(list.rights(), 2), QStringList({"E", "E", "E"}));
        QTest::mouseClick(list.otomatikEkle(), Qt::LeftButton);
        QCOMPARE(list.rights()->model()->rowCount(), 3);
        // the other user's list stays empty
        list.users()->selectRow(1);
        QCOMPARE(list.rights()->model()->rowCount(), 0);
        QVERIFY(ui.messages.empty());
    }

    void addingAndRemovingMembershipsCopiesAndDeletesRights() {
        auto w = KulUserList::open(ctx());
        QVERIFY(w.ok());
        KulUserList& list = *w.value();
        list.users()->selectRow(rowOf(list.users(), 0, "ALİ"));
        // the forms are driven here instead of running modally
        std::vector<double> toAdd{1, 2};
        list.runForm = [&](UpdateForm& form) {
            auto& f = dynamic_cast<KulFGUsers&>(form);
            if (f.userField()->text() != QStringLiteral("ALİ")) return false;
            if (f.userField()->isEnabled()) return false; // the user is fixed
            f.groupField()->setText(QString::number(toAdd.front()));
            f.checkGroup();
            ui.answer(2); // message 3: no further record
            f.trySave();
            return f.result() == QDialog::Accepted;
        };
        list.groups()->insert();
        QCOMPARE(ui.messages.back().caption, std::string("Kayıt eklendi"));
        toAdd.erase(toAdd.begin());
        list.groups()->insert();
        QCOMPARE(column(list.groups(), 0), QStringList({"1", "2"}));
        QCOMPARE(column(list.groups(), 1), QStringList({"Muhasebe", "Denetim"}));
        // group 1 came first and decides 2020
        QCOMPARE(column(list.rights(), 0), QStringList({"2020", "3000"}));
        QCOMPARE(column(list.rights(), 2), QStringList({"H", "E"}));
        auto r = rightsOf("ALİ");
        QCOMPARE(r[2020].first, 1.0);
        QCOMPARE(r[3000].first, 2.0);

        // removing group 1 (confirmed) deletes only its rows
        list.groups()->selectRow(0);
        ui.answer(1);
        list.groups()->remove();
        QCOMPARE(ui.messages.back().caption, std::string("Silme onayı"));
        QCOMPARE(column(list.groups(), 0), QStringList({"2"}));
        QCOMPARE(column(list.rights(), 0), QStringList({"3000"}));
        QCOMPARE(rightsOf("ALİ").size(), std::size_t(1));
        // answering "no" leaves everything
        ui.answer(2);
        list.groups()->remove();
        QCOMPARE(column(list.groups(), 0), QStringList({"2"}));
        QCOMPARE(rightsOf("ALİ").size(), std::size_t(1));
    }

    void duplicateMembershipIsRefusedInTheForm() {
        QVERIFY(users::addMembership(*files, "ALİ", 2).ok());
        hk::data::KLGUsers m;
        m.ID = "ALİ";
        KulFGUsers f(*files, ui, FormMode::Insert, m, {});
        f.show();
        f.groupField()->setText("2");
        f.checkGroup();
        f.trySave();
        QCOMPARE(ui.messages.back().caption, std::string("Çift kayıt yaratma hatası"));
        QVERIFY(f.isVisible());
        QCOMPARE(users::userGroups(*files, "ALİ").value().size(), std::size_t(1));
    }

    void unknownGroupOpensThePickListAndCancelBlanksTheName() {
        hk::data::KLGUsers m;
        m.ID = "ALİ";
        int asked = 0;
        std::optional<hk::data::KLGrups> answer;
        KulPickers pickers;
        pickers.group = [&] {
            ++asked;
            return answer;
        };
        KulFGUsers f(*files, ui, FormMode::Insert, m, pickers);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.groupField()->setText("2");
        f.checkGroup();
        QCOMPARE(asked, 0); // known: no list
        QCOMPARE(f.groupName()->text(), QStringLiteral("Denetim"));
        f.groupField()->setText("7");
        f.checkGroup();
        QCOMPARE(asked, 1);
        QVERIFY(f.groupName()->text().isEmpty());
        QVERIFY(f.groupField()->hasFocus()); // the cursor goes back to the number
        answer = users::findGroup(*files, 1).value();
        f.checkGroup();
        QCOMPARE(f.groupField()->text(), QStringLiteral("1"));
        QCOMPARE(f.groupName()->text(), QStringLiteral("Muhasebe"));
        // the lookup button opens the list even for a known number
        QTest::mouseClick(f.lookupButton(), Qt::LeftButton);
        QCOMPARE(asked, 3);
    }

    void userFormStoresOnlyAHash() {
        KulFUser f(*files, ui, FormMode::Insert, {});
        QCOMPARE(f.windowTitle(), QStringLiteral("Kullanıcı ...Yeni Giriş..."));
        f.idField()->setText(QStringLiteral("VELİ"));
        f.passwordField()->setText(QStringLiteral("gizli"));
        f.nameField()->setText(QStringLiteral("Veli Kaya"));
        ui.answer(2);
        f.trySave();
        QCOMPARE(f.result(), int(QDialog::Accepted));
        auto u = users::findUser(*files, "VELİ").value();
        QVERIFY(u.has_value());
        QVERIFY(u->PASSWORD.empty());
        QVERIFY(sodium_init() >= 0);
        const std::string upper = "GİZLİ";
        QCOMPARE(crypto_pwhash_str_verify(u->PASSWORDHASH.c_str(), upper.data(), upper.size()), 0);

        KulFUser again(*files, ui, FormMode::Insert, {});
        again.show();
        again.idField()->setText(QStringLiteral("velİ")); // the same ID by the Turkish pairs
        again.trySave();
        QCOMPARE(ui.messages.back().caption, std::string("Çift kayıt yaratma hatası"));
        QVERIFY(again.isVisible());

        KulFUser change(*files, ui, FormMode::Change, *u);
        QCOMPARE(change.windowTitle(), QStringLiteral("Kullanıcı ...Değişiklik..."));
        QVERIFY(!change.idField()->isEnabled());
        QVERIFY(change.passwordField()->text().isEmpty());
    }

    void rightFormLooksUpTheMenuAndRefusesUnknownNumbers() {
        hk::data::KLDUsers r;
        r.ID = "ALİ";
        int asked = 0;
        KulPickers pickers;
        pickers.menu = [&] {
            ++asked;
            return std::optional<hk::data::MenuList>();
        };
        KulFDUsers f(*files, ui, FormMode::Insert, r, pickers);
        f.show();
        QCOMPARE(f.windowTitle(), QStringLiteral("Yetki Detay Girişi"));
        QVERIFY(!f.userField()->isEnabled());
        f.menuField()->setText("3000");
        f.checkMenu();
        QCOMPARE(f.menuName()->text(), QStringLiteral("=Hesap Planı Listesi"));
        f.menuField()->setText("4242");
        f.checkMenu();
        QCOMPARE(asked, 1);
        QVERIFY(f.menuName()->text().isEmpty());
        f.trySave(); // still 4242: refused with message 14, nothing written
        QCOMPARE(ui.messages.back().caption, std::string("Saha değer hatası."));
        QVERIFY(users::userRights(*files, "ALİ").value().empty());

        f.menuField()->setText("3000");
        f.rights().GOSTER->setCurrentIndex(0);
        ui.answer(2);
        f.trySave();
        auto rows = users::userRights(*files, "ALİ").value();
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(rows[0].GOSTER + rows[0].IZLE + rows[0].SIL, std::string("EHH"));
        QCOMPARE(rows[0].GRUPNO, 0.0);
    }

    // Changing a rights row: user and group stay fixed, the menu number may change (to one in the
    // catalogue, taking its name) on both the user-right and the group-right form.
    void rightFormsChangeTheMenuNumberButNotUserOrGroup() {
        hk::data::KLDUsers r;
        r.ID = "ALİ";
        r.MENUNO = 1000;
        r.GRUPNO = 0;
        QVERIFY(users::addUserRight(*files, r).ok());
        r.MENUADI = "=Fiş İşlemleri";
        KulFDUsers f(*files, ui, FormMode::Change, r, {});
        f.show();
        QVERIFY(!f.userField()->isEnabled());
        QVERIFY(!f.groupField()->isEnabled());
        QVERIFY(f.menuField()->isEnabled());
        QVERIFY(f.lookupButton()->isEnabled());
        f.menuField()->setText("4242"); // not in the catalogue: message 14, nothing changes
        ui.answer(1);                   // message 35: save the changes
        f.trySave();
        QCOMPARE(ui.messages.back().caption, std::string("Saha değer hatası."));
        QCOMPARE(rightsOf("ALİ").count(1000), std::size_t(1));
        f.menuField()->setText("3000");
        ui.answer(1);
        f.trySave();
        QCOMPARE(f.result(), int(QDialog::Accepted));
        const auto rows = users::userRights(*files, "ALİ").value();
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(rows[0].MENUNO, 3000.0);
        QCOMPARE(rows[0].MENUADI, std::string("=Hesap Planı Listesi"));

        hk::data::KLDGrups g;
        g.GRUPNO = 1;
        g.MENUNO = 1000;
        QVERIFY(users::addGroupRight(*files, g).ok());
        KulFDGrups gf(*files, ui, FormMode::Change, users::groupRights(*files, 1).value().front(), {});
        gf.show();
        QVERIFY(!gf.groupField()->isEnabled());
        QVERIFY(gf.menuField()->isEnabled());
        gf.menuField()->setText("3000");
        ui.answer(1);
        gf.trySave();
        QCOMPARE(gf.result(), int(QDialog::Accepted));
        std::vector<double> menus;
        const auto groupRows = users::groupRights(*files, 1);
        for (const auto& x : groupRows.value()) menus.push_back(x.MENUNO);
        QVERIFY(std::find(menus.begin(), menus.end(), 3000.0) != menus.end());
        QVERIFY(std::find(menus.begin(), menus.end(), 1000.0) == menus.end());
    }

    // "Menü Detay Girişi" edits number and name; a number taken already is refused (message 13)
    // and nothing changes. A group keeps its number.
    void menuFormEditsNumberAndNameGroupFormKeepsItsNumber() {
        hk::data::MenuList m;
        m.MENUNO = 1000;
        m.MENUADI = "=Fiş İşlemleri";
        KulFMenuList f(*files, ui, FormMode::Change, m);
        f.show();
        QVERIFY(f.numberField()->isEnabled());
        f.numberField()->setText("3000");
        ui.answer(1);
        f.trySave();
        QCOMPARE(ui.messages.back().caption, std::string("Çift kayıt yaratma hatası"));
        QVERIFY(users::findMenu(*files, 1000).value().has_value());
        f.numberField()->setText("1001");
        f.nameField()->setText(QStringLiteral("Fişler"));
        ui.answer(1);
        f.trySave();
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QVERIFY(!users::findMenu(*files, 1000).value().has_value());
        QCOMPARE(users::findMenu(*files, 1001).value()->MENUADI, std::string("Fişler"));

        hk::data::KLGrups g;
        g.GRUPNO = 1;
        g.GRUPADI = "Muhasebe";
        KulFGrups gf(*files, ui, FormMode::Change, g);
        QVERIFY(!gf.numberField()->isEnabled());
        QCOMPARE(gf.windowTitle(), QStringLiteral("Grup ...Değişiklik..."));
    }

    // "Değiştir" on a membership opens the membership form to change it, not a view.
    void membershipChangeOpensTheFormAndMovesTheMembership() {
        QVERIFY(users::addMembership(*files, "ALİ", 1).ok());
        auto w = KulUserList::open(ctx());
        QVERIFY(w.ok());
        KulUserList& list = *w.value();
        list.users()->selectRow(rowOf(list.users(), 0, "ALİ"));
        bool changing = false;
        list.runForm = [&](UpdateForm& form) {
            auto& f = dynamic_cast<KulFGUsers&>(form);
            changing = f.mode() == FormMode::Change && f.saveButton()->isVisibleTo(&f) &&
                       f.groupField()->isEnabled();
            f.groupField()->setText("2");
            f.checkGroup();
            ui.answer(1); // message 35
            f.trySave();
            return f.result() == QDialog::Accepted;
        };
        list.groups()->selectRow(0);
        list.groups()->change();
        QVERIFY(changing);
        QCOMPARE(column(list.groups(), 0), QStringList({"2"}));
        QCOMPARE(rightsOf("ALİ").at(2020).first, 1.0); // group 1's row stays; 2 adds none for 2020
        QCOMPARE(rightsOf("ALİ").at(3000).first, 2.0); // the new group's rows are copied
    }

    void groupWindowGrantsAllAndListsItsMembers() {
        QVERIFY(users::addMembership(*files, "ALİ", 2).ok());
        QVERIFY(users::addMembership(*files, "HESAPKAR", 2).ok());
        auto w = KulGrupList::open(ctx());
        QVERIFY(w.ok());
        KulGrupList& list = *w.value();
        QCOMPARE(column(list.groups(), 1), QStringList({"Muhasebe", "Denetim"}));
        list.groups()->selectRow(0);
        QCOMPARE(column(list.rights(), 0), QStringList({"2020"}));
        QTest::mouseClick(list.otomatikEkle(), Qt::LeftButton);
        QCOMPARE(column(list.rights(), 0), QStringList({"1000", "2020", "3000"}));
        QCOMPARE(column(list.rights(), 2), QStringList({"E", "H", "E"})); // 2020 kept as it was
        QCOMPARE(list.members()->model()->rowCount(), 0);
        list.groups()->selectRow(1);
        QCOMPARE(column(list.members(), 0), QStringList({"ALİ", "HESAPKAR"}));
        QVERIFY(!list.members()->insertButton()->isVisible());
        // changing a group's rights does not touch users already in it
        QCOMPARE(rightsOf("ALİ").size(), std::size_t(2));
    }

    void cikisClosesOnlyItsOwnChildWindow() {
        QMdiArea frame;
        frame.show();
        auto w = KulGrupList::open(ctx());
        QVERIFY(w.ok());
        KulGrupList* list = w.value().release();
        QMdiSubWindow* sub = frame.addSubWindow(list);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        QPointer<QMdiSubWindow> watch(sub);
        QTest::mouseClick(list->exitButton(), Qt::LeftButton);
        QTRY_VERIFY(watch.isNull());
        QVERIFY(frame.isVisible());
    }

    void menuListExcelWithoutDataSetSaysSo() {
        auto w = KulMenuList::open(ctx(), false);
        QVERIFY(w.ok());
        QCOMPARE(column(w.value()->list(), 0), QStringList({"1000", "2020", "3000"}));
        QVERIFY(!w.value()->selectButton()->isVisibleTo(w.value().get()));
        QTest::mouseClick(w.value()->excelButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.back().caption, std::string("Tanımlanmamış Program."));
    }
};

QTEST_MAIN(KulTest)
#include "kul_test.moc"
