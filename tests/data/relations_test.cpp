#include "fixture.h"

#include "data/errors.h"

namespace hk::data::test {
namespace {

class Relations : public ::testing::Test {
  protected:
    void SetUp() override {
        auto d = Database::open(dir_.path() / "rel.db");
        ASSERT_TRUE(d.ok()) << d.error().describe();
        db_ = std::make_unique<Database>(std::move(*d));
    }
    Table open(Layout l) {
        auto t = db_->table(fileDef(l));
        EXPECT_TRUE(t.ok());
        return std::move(*t);
    }
    static void add(Table& t, std::initializer_list<std::pair<const char*, const char*>> values) {
        t.clear();
        for (const auto& [f, v] : values) ASSERT_TRUE(t.buffer().setText(f, v).ok()) << f;
        ASSERT_TRUE(t.add().ok());
    }
    static void find(Table& t, const char* key, std::initializer_list<std::pair<const char*, const char*>> values) {
        t.clear();
        for (const auto& [f, v] : values) ASSERT_TRUE(t.buffer().setText(f, v).ok());
        ASSERT_TRUE(t.get(key).ok());
    }
    ScratchDir dir_;
    std::unique_ptr<Database> db_;
};

TEST_F(Relations, VoucherWithLinesCannotBeDeletedAndNothingIsDeleted) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    add(bas, {{"KEYSTR", "0100000001"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "200"}});
    find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
    auto st = bas.erase();
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::RelatedRecords));
    EXPECT_EQ(st.error().message, 30);
    EXPECT_EQ(st.error().file, "FisDet");
    EXPECT_EQ(*bas.count(), 1);
    EXPECT_EQ(*det.count(), 2);
    // once the lines are gone the header goes too
    ASSERT_TRUE(det.empty().ok());
    find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
    EXPECT_TRUE(bas.erase().ok());
    EXPECT_EQ(*bas.count(), 0);
}

TEST_F(Relations, LinesOfOtherVouchersDoNotBlockADelete) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    add(bas, {{"KEYSTR", "0100000001"}});
    add(bas, {{"KEYSTR", "010000001"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    find(bas, "KeyFis", {{"KEYSTR", "010000001"}});  // a key that begins the other one's text
    EXPECT_TRUE(bas.erase().ok());
}

TEST_F(Relations, ChangingAVoucherKeyCarriesItsLinesAlong) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    add(bas, {{"KEYSTR", "0100000001"}});
    add(bas, {{"KEYSTR", "0100000002"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "200"}});
    add(det, {{"KEYSTR", "0100000002"}, {"ACKNO", "100"}});
    find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
    ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0200000009").ok());
    ASSERT_TRUE(bas.put().ok());
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"),
              (std::vector<std::string>{"0100000002", "0200000009", "0200000009"}));
    // the moved lines are found under the new key
    find(det, "KeyFisDet", {{"KEYSTR", "0200000009"}, {"ACKNO", "200"}});
}

// The children are found by their key alone: all of them however many, and none of the
// vouchers on either side, whose keys share all but the last character.
TEST_F(Relations, AKeyChangeCarriesEveryLineAndNoneOfTheNeighbours) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    for (const char* k : {"0100000001", "0100000002", "0100000003"}) add(bas, {{"KEYSTR", k}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "900"}});
    for (int i = 1; i <= 20; ++i)
        add(det, {{"KEYSTR", "0100000002"}, {"ACKNO", std::to_string(i * 10).c_str()}});
    add(det, {{"KEYSTR", "0100000003"}, {"ACKNO", "100"}});
    find(bas, "KeyFis", {{"KEYSTR", "0100000002"}});
    ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0000000002").ok());
    ASSERT_TRUE(bas.put().ok());
    std::vector<std::string> want(20, "0000000002");
    want.push_back("0100000001");
    want.push_back("0100000003");
    EXPECT_EQ(readAll(det, "KeyFisDet", "KEYSTR"), want);
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"), want);
    // The one left under a neighbour's key still holds that neighbour's delete back.
    find(bas, "KeyFis", {{"KEYSTR", "0100000003"}});
    auto st = bas.erase();
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::RelatedRecords));
}

// An update in place (putChanges) of a voucher key carries nothing: refused while lines stand
// under the old key, with nothing written; done once they have been moved first.
TEST_F(Relations, AKeyChangedInPlaceWaitsUntilNoLineWouldBeLeftBehind) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    add(bas, {{"KEYSTR", "0100000001"}});
    add(bas, {{"KEYSTR", "0100000002"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    add(det, {{"KEYSTR", "0100000002"}, {"ACKNO", "100"}});
    find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
    const Bookmark at = bas.bookmark();
    const Record was = bas.buffer();
    Record now = was;
    ASSERT_TRUE(now.setText("KEYSTR", "0200000009").ok());
    auto r = bas.putChanges(at, was, now);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(is(r.error(), ErrorCode::RelatedRecords));
    EXPECT_EQ(readAll(bas, "KeyFis", "KEYSTR"),
              (std::vector<std::string>{"0100000001", "0100000002"}));

    find(det, "KeyFisDet", {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    ASSERT_TRUE(det.buffer().setText("KEYSTR", "0200000009").ok());
    ASSERT_TRUE(det.put().ok());
    r = bas.putChanges(at, was, now);
    ASSERT_TRUE(r.ok()) << r.error().describe();
    EXPECT_TRUE(*r);
    EXPECT_EQ(readAll(bas, "KeyFis", "KEYSTR"),
              (std::vector<std::string>{"0100000002", "0200000009"}));
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"),
              (std::vector<std::string>{"0100000002", "0200000009"}));
    auto problems = db_->check();
    ASSERT_TRUE(problems.ok());
    for (const auto& p : *problems) ADD_FAILURE() << p.table << ": " << p.text;
}

TEST_F(Relations, CurrencyRatesFollowTheirCurrency) {
    Table dov = open(Layout::Doviz), kur = open(Layout::DDoviz);
    add(dov, {{"DOVIZKODU", "USD"}});
    add(kur, {{"DOVIZKODU", "USD"}, {"DOVIZKURTARIHI", "01.01.2024"}});
    find(dov, "KyDovizKodu", {{"DOVIZKODU", "usd"}});
    auto st = dov.erase();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, 30);
    EXPECT_EQ(st.error().file, "DDoviz");
    ASSERT_TRUE(dov.buffer().setText("DOVIZKODU", "ABD").ok());
    ASSERT_TRUE(dov.put().ok());
    EXPECT_EQ(readAll(kur, "KyDoviz", "DOVIZKODU"), (std::vector<std::string>{"ABD"}));
}

TEST_F(Relations, ReportColumnsAreDeletedAndRenamedWithTheirReport) {
    const struct {
        Layout parent, child;
        const char *pkey, *ckey;
    } cases[] = {{Layout::Rapor, Layout::DRapor, "RapKodKey", "RapNoKey"},
                 {Layout::ORapor, Layout::DORapor, "RapKodKey", "RapNoKey"}};
    for (const auto& c : cases) {
        Table p = open(c.parent), ch = open(c.child);
        add(p, {{"RAPKOD", "MZN"}, {"RAPNO", "1"}});
        add(p, {{"RAPKOD", "MZN"}, {"RAPNO", "2"}});
        add(ch, {{"RAPKOD", "MZN"}, {"RAPNO", "1"}, {"SIRANO", "1"}});
        add(ch, {{"RAPKOD", "MZN"}, {"RAPNO", "1"}, {"SIRANO", "2"}});
        add(ch, {{"RAPKOD", "MZN"}, {"RAPNO", "2"}, {"SIRANO", "1"}});
        find(p, c.pkey, {{"RAPKOD", "MZN"}, {"RAPNO", "1"}});
        ASSERT_TRUE(p.buffer().setText("RAPNO", "7").ok());
        ASSERT_TRUE(p.put().ok());
        EXPECT_EQ(readAll(ch, c.ckey, "RAPNO"), (std::vector<std::string>{"2", "7", "7"}));
        find(p, c.pkey, {{"RAPKOD", "MZN"}, {"RAPNO", "7"}});
        ASSERT_TRUE(p.erase().ok());
        EXPECT_EQ(readAll(ch, c.ckey, "RAPNO"), (std::vector<std::string>{"2"}));
        EXPECT_EQ(*p.count(), 1);
    }
}

TEST_F(Relations, StatementLinesLinkTheNumberToItsText) {
    Table t = open(Layout::Tablo), d = open(Layout::DTablo);
    add(t, {{"RAPNO", "12"}, {"AD", "Bilanço"}});
    add(d, {{"RAPNO", "12"}, {"SIRANO", "1"}, {"AKTIFPASIF", "A"}});
    add(d, {{"RAPNO", "12"}, {"SIRANO", "1"}, {"AKTIFPASIF", "P"}});
    add(d, {{"RAPNO", "120"}, {"SIRANO", "1"}, {"AKTIFPASIF", "A"}});
    // the same sequence on both sides is allowed; twice on one side is not
    d.clear();
    ASSERT_TRUE(d.buffer().setText("RAPNO", "12").ok());
    ASSERT_TRUE(d.buffer().setText("SIRANO", "1").ok());
    ASSERT_TRUE(d.buffer().setText("AKTIFPASIF", "A").ok());
    EXPECT_EQ(d.add().error().message, 13);

    find(t, "RapKodKey", {{"RAPNO", "12"}});
    ASSERT_TRUE(t.buffer().setNumber("RAPNO", 13).ok());
    ASSERT_TRUE(t.put().ok());
    EXPECT_EQ(readAll(d, "RapNoKey", "RAPNO"), (std::vector<std::string>{"120", "13", "13"}));
    ASSERT_TRUE(t.erase().ok());
    EXPECT_EQ(readAll(d, "RapNoKey", "RAPNO"), (std::vector<std::string>{"120"}));
}

TEST_F(Relations, UsersAndGroupsTakeNoAutomaticAction) {
    Table u = open(Layout::KLUsers), gu = open(Layout::KLGUsers), du = open(Layout::KLDUsers);
    Table g = open(Layout::KLGrups), dg = open(Layout::KLDGrups);
    add(u, {{"ID", "ali"}});
    add(gu, {{"ID", "ali"}, {"GRUPNO", "1"}});
    add(du, {{"ID", "ali"}, {"MENUNO", "1000"}});
    add(g, {{"GRUPNO", "1"}});
    add(dg, {{"GRUPNO", "1"}, {"MENUNO", "1000"}});
    find(u, "IdKey", {{"ID", "ali"}});
    ASSERT_TRUE(u.buffer().setText("ID", "veli").ok());
    ASSERT_TRUE(u.put().ok());
    EXPECT_EQ(readAll(gu, "IdKey", "ID"), (std::vector<std::string>{"ali"}));
    ASSERT_TRUE(u.erase().ok());
    find(g, "KyGrup", {{"GRUPNO", "1"}});
    ASSERT_TRUE(g.erase().ok());
    EXPECT_EQ(*gu.count(), 1);
    EXPECT_EQ(*du.count(), 1);
    EXPECT_EQ(*dg.count(), 1);
}

TEST_F(Relations, AFailedCascadeChangesNothing) {
    // The new report number already exists among the columns of another report: the cascade
    // hits the unique column key and the whole change is undone.
    Table p = open(Layout::Rapor), ch = open(Layout::DRapor);
    add(p, {{"RAPKOD", "A"}, {"RAPNO", "1"}});
    add(ch, {{"RAPKOD", "A"}, {"RAPNO", "1"}, {"SIRANO", "1"}});
    add(ch, {{"RAPKOD", "A"}, {"RAPNO", "2"}, {"SIRANO", "1"}});  // a column without its report
    find(p, "RapKodKey", {{"RAPKOD", "A"}, {"RAPNO", "1"}});
    ASSERT_TRUE(p.buffer().setText("RAPNO", "2").ok());
    auto st = p.put();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, 13);
    EXPECT_EQ(readAll(ch, "RapNoKey", "RAPNO"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(readAll(p, "RapKodKey", "RAPNO"), (std::vector<std::string>{"1"}));
}

TEST_F(Relations, TheCascadeBelongsToTheUnitOfWorkItRunsIn) {
    Table bas = open(Layout::FisBas), det = open(Layout::FisDet);
    add(bas, {{"KEYSTR", "0100000001"}});
    add(bas, {{"KEYSTR", "0100000002"}});
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    const std::vector<std::string> before{"0100000001"};

    // The parent's own write is refused (the new number is taken) after its lines were moved:
    // the lines go back.
    find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
    ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0100000002").ok());
    auto st = bas.put();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, 13);
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"), before);

    // A caller's unit of work that is given up takes the cascade with it.
    {
        auto tx = bas.begin();
        ASSERT_TRUE(tx.ok());
        find(bas, "KeyFis", {{"KEYSTR", "0100000001"}});
        ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0300000001").ok());
        ASSERT_TRUE(bas.put().ok());
        EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"), (std::vector<std::string>{"0300000001"}));
        tx->rollback();
    }
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"), before);
    EXPECT_EQ(readAll(bas, "KeyFis", "KEYSTR"),
              (std::vector<std::string>{"0100000001", "0100000002"}));
}

TEST_F(Relations, AMemoryWorkFileHasNoRelatedFiles) {
    // A work file with the voucher layout is private to its run: deleting or renumbering in it
    // never looks for lines, and the data file's lines stay as they are.
    Table det = open(Layout::FisDet);
    add(det, {{"KEYSTR", "0100000001"}, {"ACKNO", "100"}});
    Table work = Table::memory(fileDef(Layout::FisBas), "Hk1.Tmp");
    add(work, {{"KEYSTR", "0100000001"}});
    find(work, "KeyFis", {{"KEYSTR", "0100000001"}});
    ASSERT_TRUE(work.buffer().setText("KEYSTR", "0100000002").ok());
    ASSERT_TRUE(work.put().ok());
    ASSERT_TRUE(work.erase().ok());
    EXPECT_EQ(*work.count(), 0);
    EXPECT_EQ(readAll(det, "KeyFisSiraNo", "KEYSTR"), (std::vector<std::string>{"0100000001"}));
}

} // namespace
} // namespace hk::data::test
