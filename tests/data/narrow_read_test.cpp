// Narrowed reads (Table::narrowTo): every way of reading gives the chosen fields as a whole read
// does, on both engines, and leaves the other fields blank on SQLite (never a value left over
// from an earlier record or from the caller); a record read narrowed is never written back.
#include "data/database.h"
#include "data/records.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace hk::data::test {
namespace {

// Left out on purpose: FISSIRANO, a part of the key the ordered reads run on, and the long texts.
const std::vector<std::string> kChosen = {"KEYSTR", "HESAPKODU", "ACKNO", "TLBORC", "BORCALACAK"};

bool chosen(const FileDef& d, std::uint32_t f) {
    for (const auto& n : kChosen)
        if (d.fields[f].name == n) return true;
    return false;
}

// The fields of a record as text, the chosen ones or the others.
std::string show(const Record& r, bool ofChosen) {
    std::string out;
    const FileDef& d = r.def();
    for (std::uint32_t f = 0; f < d.fields.size(); ++f) {
        if (d.fields[f].type == FieldType::GROUP || chosen(d, f) != ofChosen) continue;
        out += d.fields[f].name + "=" + *r.textAt(f) + "|";
    }
    return out;
}

// Twelve lines of three vouchers: equal keys, Turkish text, amounts, long texts beside.
void fill(Table& t) {
    const std::vector<std::string> codes = {"100 01", "320 ÇEK", "120 01 005", "600"};
    for (int i = 0; i < 12; ++i) {
        FisDet l;
        l.KEYSTR = "0100000" + std::to_string(3 - i / 4);
        l.FISSIRANO = static_cast<std::int16_t>(4 - i % 4);
        l.HESAPKODU = codes[static_cast<std::size_t>(i * 7 % 4)];
        l.ACKNO = i % 3 == 0 ? 0 : 100 * (i % 3);
        l.TLBORC = i * 12.25;
        l.TLALACAK = 1000 - i;
        l.BORCALACAK = i % 2 ? "B" : "A";
        l.FISACK = "açıklama " + std::to_string(i);
        l.HESAPADI1 = "Şirket hesabı " + std::to_string(i);
        l.BELGENO = "B-" + std::to_string(i);
        l.FISTRH = core::Date{static_cast<std::uint8_t>(1 + i), 3, 2026};
        ASSERT_TRUE(toRecord(l, t.buffer()).ok());
        ASSERT_TRUE(t.add().ok());
    }
}

// What a read leaves in the buffer: the record, and where it stands.
struct Read {
    Record rec;
    Bookmark mark;
};

using Route = std::function<std::vector<Read>(Table&)>;

void readOn(Table& t, std::vector<Read>& out, bool forward) {
    for (;;) {
        auto st = forward ? t.next() : t.previous();
        if (!st) {
            EXPECT_TRUE(is(st.error(), ErrorCode::NoRecord)) << st.error().describe();
            return;
        }
        out.push_back({t.buffer(), t.bookmark()});
    }
}

// Every way of reading into the buffer. Before each, the buffer is filled with values of
// its own, so a field a read leaves alone would show.
const std::vector<std::pair<std::string, Route>>& routes() {
    static const std::vector<std::pair<std::string, Route>> r = {
        {"next in key order",
         [](Table& t) {
             std::vector<Read> out;
             EXPECT_TRUE(t.set("MFD:KeyFisSiraNo").ok());
             readOn(t, out, true);
             return out;
         }},
        {"previous from the end",
         [](Table& t) {
             std::vector<Read> out;
             EXPECT_TRUE(t.set("MFD:KeyFisDet", Seek::Last).ok());
             readOn(t, out, false);
             return out;
         }},
        {"physical order",
         [](Table& t) {
             std::vector<Read> out;
             EXPECT_TRUE(t.setPhysical().ok());
             readOn(t, out, true);
             return out;
         }},
        {"scan of one voucher, backwards",
         [](Table& t) {
             std::vector<Read> out;
             Record p(t.def());
             EXPECT_TRUE(p.setText("KEYSTR", "01000002").ok());
             EXPECT_TRUE(t.scanPrefix(
                              "MFD:KeyFisSiraNo", p, 1,
                              [&]() -> core::Result<bool> {
                                  out.push_back({t.buffer(), t.bookmark()});
                                  return true;
                              },
                              Direction::Backward)
                             .ok());
             return out;
         }},
        {"scanWhere by account",
         [](Table& t) {
             std::vector<Read> out;
             EXPECT_TRUE(t.scanWhere("MFD:KeyFisDet", "HESAPKODU", "320 ÇEK",
                                     [&](const Record& r, const Bookmark& b) -> core::Result<bool> {
                                         out.push_back({r, b});
                                         return true;
                                     })
                             .ok());
             return out;
         }},
        {"get by key, then reget by bookmark",
         [](Table& t) {
             std::vector<Read> out;
             // Lines 9 and 8 of fill().
             for (const auto& [code, ackno] : {std::pair{"600", 0}, std::pair{"100 01", 200}}) {
                 t.clear();
                 EXPECT_TRUE(t.buffer().setText("KEYSTR", "01000001").ok());
                 EXPECT_TRUE(t.buffer().setText("HESAPKODU", code).ok());
                 EXPECT_TRUE(t.buffer().setNumber("ACKNO", ackno).ok());
                 EXPECT_TRUE(t.buffer().setText("FISACK", "left by the caller").ok());
                 EXPECT_TRUE(t.get("MFD:KeyFisDet").ok());
                 out.push_back({t.buffer(), t.bookmark()});
             }
             const Bookmark first = out.front().mark;
             EXPECT_TRUE(t.buffer().setText("HESAPADI1", "left by the caller").ok());
             EXPECT_TRUE(t.reget(first).ok());
             out.push_back({t.buffer(), t.bookmark()});
             return out;
         }},
    };
    return r;
}

void dirty(Table& t) {
    Record& b = t.buffer();
    ASSERT_TRUE(b.setText("FISACK", "stale").ok());
    ASSERT_TRUE(b.setText("HESAPADI2", "stale").ok());
    ASSERT_TRUE(b.setNumber("FISSIRANO", 77).ok());
    ASSERT_TRUE(b.setNumber("TLALACAK", 77).ok());
}

class NarrowRead : public EngineFixture {};

TEST_P(NarrowRead, EveryReadGivesTheChosenFieldsOfTheWholeRecordAndBlankOthers) {
    Table t = open(Layout::FisDet);
    fill(t);
    const Record blank(t.def());
    for (const auto& [name, route] : routes()) {
        SCOPED_TRACE(name);
        t.widen();
        dirty(t);
        const std::vector<Read> whole = route(t);
        ASSERT_FALSE(whole.empty());
        ASSERT_TRUE(t.narrowTo({"KEYSTR", "HESAPKODU", "ACKNO", "TLBORC", "BORCALACAK"}).ok());
        dirty(t);
        const std::vector<Read> few = route(t);
        ASSERT_EQ(few.size(), whole.size());
        for (std::size_t i = 0; i < few.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(show(few[i].rec, true), show(whole[i].rec, true));
            EXPECT_EQ(few[i].mark.row, whole[i].mark.row);
            EXPECT_EQ(few[i].mark.keyValue, whole[i].mark.keyValue);
            // SQLite reads only the chosen columns; the memory engine may read them all, but
            // neither may show anything that is not the record's own.
            if (GetParam() == Engine::Sqlite)
                EXPECT_EQ(show(few[i].rec, false), show(blank, false));
            else
                EXPECT_EQ(show(few[i].rec, false), show(whole[i].rec, false));
        }
    }
}

TEST_P(NarrowRead, WidenedMidwayTheNextRecordIsWhole) {
    Table t = open(Layout::FisDet);
    fill(t);
    std::vector<Read> whole;
    ASSERT_TRUE(t.set("MFD:KeyFisSiraNo").ok());
    readOn(t, whole, true);
    ASSERT_EQ(whole.size(), 12u);

    ASSERT_TRUE(t.narrowTo({"KEYSTR"}).ok());
    ASSERT_TRUE(t.set("MFD:KeyFisSiraNo").ok());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(t.next().ok());
    t.widen();
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(t.buffer(), whole[3].rec);
    ASSERT_TRUE(t.narrowTo({"TLBORC"}).ok());
    ASSERT_TRUE(t.previous().ok());
    EXPECT_EQ(*t.buffer().number("TLBORC"), *whole[2].rec.number("TLBORC"));
    EXPECT_EQ(t.bookmark().row, whole[2].mark.row);
}

// The stored record, read whole by a second look.
Record stored(Table& t, const Bookmark& b) {
    const auto fields = t.readFields();
    t.widen();
    EXPECT_TRUE(t.reget(b).ok());
    Record r = t.buffer();
    if (!fields.empty()) {
        EXPECT_TRUE(t.narrowTo(fields).ok());
    }
    return r;
}

TEST_P(NarrowRead, ARecordReadNarrowedIsNeverWrittenBack) {
    Table t = open(Layout::FisDet);
    fill(t);
    ASSERT_TRUE(t.set("MFD:KeyFisDet").ok());
    ASSERT_TRUE(t.next().ok());
    const Bookmark at = t.bookmark();
    const Record before = t.buffer();

    ASSERT_TRUE(t.narrowTo({"KEYSTR", "TLBORC"}).ok());
    ASSERT_TRUE(t.reget(at).ok());
    ASSERT_TRUE(t.buffer().setNumber("TLBORC", 5).ok());
    struct Write {
        const char* name;
        std::function<core::Status(Table&)> run;
    };
    const std::vector<Write> refused = {
        {"put", [](Table& x) { return x.put(); }},
        {"add", [](Table& x) { return x.add(); }},
        {"append", [](Table& x) { return x.append(); }},
        {"rebuildKeys", [](Table& x) { return x.rebuildKeys(); }},
    };
    for (const auto& w : refused) {
        SCOPED_TRACE(w.name);
        auto st = w.run(t);
        ASSERT_FALSE(st.ok());
        EXPECT_TRUE(is(st.error(), ErrorCode::EngineError)) << st.error().describe();
    }
    EXPECT_EQ(*t.count(), 12);
    EXPECT_EQ(stored(t, at), before);

    // Widened, the buffer still holds the narrowed record: it is refused until read whole.
    ASSERT_TRUE(t.reget(at).ok());
    t.widen();
    ASSERT_TRUE(t.buffer().setNumber("TLBORC", 5).ok());
    EXPECT_FALSE(t.put().ok());
    EXPECT_EQ(stored(t, at), before);
    ASSERT_TRUE(t.reget(at).ok());
    ASSERT_TRUE(t.buffer().setNumber("TLBORC", 5).ok());
    ASSERT_TRUE(t.put().ok());
    Record after = before;
    ASSERT_TRUE(after.setNumber("TLBORC", 5).ok());
    EXPECT_EQ(stored(t, at), after);

    // Deleting writes nothing of the buffer: allowed while narrowed.
    ASSERT_TRUE(t.narrowTo({"KEYSTR"}).ok());
    ASSERT_TRUE(t.reget(at).ok());
    ASSERT_TRUE(t.erase().ok());
    EXPECT_EQ(*t.count(), 11);
}

TEST_P(NarrowRead, TypedTableReadsTheChosenFieldsAndRefusesToPutThem) {
    TypedTable<FisDet> lines(open(Layout::FisDet));
    fill(lines.table());
    FisDet key;
    key.KEYSTR = "01000003";
    auto whole = lines.collect("MFD:KeyFisSiraNo", key, 1);
    ASSERT_TRUE(whole.ok());
    ASSERT_EQ(whole->size(), 4u);

    ASSERT_TRUE(lines.narrowTo({"KEYSTR", "HESAPKODU", "TLBORC"}).ok());
    auto few = lines.collect("MFD:KeyFisSiraNo", key, 1);
    ASSERT_TRUE(few.ok());
    ASSERT_EQ(few->size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ((*few)[i].HESAPKODU, (*whole)[i].HESAPKODU);
        EXPECT_EQ((*few)[i].TLBORC, (*whole)[i].TLBORC);
        if (GetParam() == Engine::Sqlite) {
            EXPECT_EQ((*few)[i].FISACK, "");
        }
    }
    ASSERT_TRUE(lines.set("MFD:KeyFisSiraNo").ok());
    auto r = lines.next();
    ASSERT_TRUE(r.ok());
    r->TLBORC += 1;
    EXPECT_FALSE(lines.put(*r).ok());
    EXPECT_FALSE(lines.add(*r).ok());
    lines.widen();
    EXPECT_FALSE(lines.put(*r).ok()); // still the record read narrowed
    auto again = lines.collect("MFD:KeyFisSiraNo", key, 1);
    ASSERT_TRUE(again.ok());
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ((*again)[i].FISACK, (*whole)[i].FISACK);
}

TEST_P(NarrowRead, TheScopedNarrowingGivesTheTableBackAsItWas) {
    Table t = open(Layout::FisDet);
    fill(t);
    const auto field = [&](const char* n) { return *t.def().field(n); };
    {
        NarrowReads outer(t, {"TLBORC", "KEYSTR"});
        ASSERT_TRUE(outer.ok());
        const std::vector<std::uint32_t> outerFields = t.readFields();
        EXPECT_EQ(outerFields.size(), 2u);
        {
            NarrowReads inner(t, {"HESAPKODU"});
            ASSERT_TRUE(inner.ok());
            EXPECT_EQ(t.readFields(), std::vector<std::uint32_t>{field("HESAPKODU")});
        }
        EXPECT_EQ(t.readFields(), outerFields);
        {
            // Refused: an unknown field, an empty list. The table stays as it was.
            NarrowReads bad(t, {"HESAPKODU", "NOSUCHFIELD"});
            EXPECT_FALSE(bad.ok());
            EXPECT_TRUE(is(bad.status().error(), ErrorCode::BadValue));
            EXPECT_EQ(t.readFields(), outerFields);
            EXPECT_FALSE(t.narrowTo(std::vector<std::uint32_t>{}).ok());
            EXPECT_FALSE(t.narrowTo(std::vector<std::uint32_t>{9999}).ok());
            EXPECT_EQ(t.readFields(), outerFields);
        }
        EXPECT_EQ(t.readFields(), outerFields);
    }
    EXPECT_TRUE(t.readFields().empty());
    ASSERT_TRUE(t.set("MFD:KeyFisSiraNo").ok());
    ASSERT_TRUE(t.next().ok());
    EXPECT_TRUE(t.buffer().text("FISACK")->starts_with("açıklama"));
    ASSERT_TRUE(t.buffer().setText("FISACK", "written whole").ok());
    EXPECT_TRUE(t.put().ok());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, NarrowRead,
                         ::testing::Values(Engine::Sqlite, Engine::Memory), engineName);

} // namespace
} // namespace hk::data::test
