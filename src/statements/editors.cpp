#include "statements/editors.h"

#include "core/text.h"
#include "data/errors.h"
#include "statements/definitions.h"

#include <algorithm>
#include <cstdio>

namespace hk::statements {

namespace {

using data::ErrorCode;

core::Error duplicate(const char* file, const std::string& what) {
    return data::engineError(ErrorCode::DuplicateKey, file, what, 13);
}

template <typename T> core::Result<std::vector<T>> scanFrom(data::TypedTable<T>& t, const char* key, const T& from,
                                                             auto&& belongs) {
    std::vector<T> out;
    if (auto st = t.set(key, data::Seek::AtOrAfter, from); !st) return st.error();
    for (;;) {
        auto r = t.next();
        if (!r) {
            if (data::is(r.error(), ErrorCode::NoRecord)) break;
            return r.error();
        }
        if (!belongs(*r)) break;
        out.push_back(std::move(*r));
    }
    return out;
}

std::string clipped(const std::string& s) {
    return core::text::clip(s);
}

bool sameReport(const data::DRapor& c, const data::DRapor& key) {
    return clipped(c.RAPKOD) == clipped(key.RAPKOD) && clipped(c.RAPNO) == clipped(key.RAPNO);
}

// Swaps the numbers of two records of one file in one unit of work: both are deleted and added
// back, so the key never holds an intermediate state.
template <typename T, typename SetNo>
core::Status swapNumbers(data::DataSet& ds, data::TypedTable<T>& t, const char* key, const T& a, const T& b, SetNo setNo,
                         int aNo, int bNo) {
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started().error();
    for (const T* r : {&a, &b}) {
        auto cur = t.get(key, *r);
        if (!cur) return cur.error();
        if (auto st = t.erase(); !st) return st;
    }
    T na = a, nb = b;
    setNo(na, bNo);
    setNo(nb, aNo);
    if (auto st = t.add(na); !st) return st;
    if (auto st = t.add(nb); !st) return st;
    return tx.commit();
}

} // namespace

// ---- reports ----

data::DRapor newColumn(const data::Rapor& r) {
    data::DRapor c;
    c.RAPKOD = r.RAPKOD;
    c.RAPNO = std::to_string(r.RAPNO);
    c.YAZ = "E";
    c.NTLK = "D";
    c.FRML = "@";
    return c;
}

core::Result<std::vector<data::DRapor>> reportColumns(data::DataSet& ds, const data::Rapor& r) {
    auto t = ds.open<data::DRapor>(true);
    if (!t) return t.error();
    const data::DRapor key = newColumn(r);
    return scanFrom(*t, "DRP:RapNoKey", key, [&](const data::DRapor& c) { return sameReport(c, key); });
}

core::Result<int> nextColumnNumber(data::DataSet& ds, const data::Rapor& r) {
    auto cols = reportColumns(ds, r);
    if (!cols) return cols.error();
    int top = 0;
    for (const auto& c : *cols) top = std::max<int>(top, c.SIRANO);
    return top + 1;
}

core::Status saveReport(data::DataSet& ds, const data::Rapor& r, bool insert) {
    if (r.RAPNO <= 0) return core::Error::badInput("Rapor Numarası 0 olamaz");
    auto t = ds.open<data::Rapor>(true);
    if (!t) return t.error();
    auto found = t->get("RAP:RapKodKey", r);
    if (insert) {
        if (found) return duplicate("Rapor", "RAP:RapKodKey");
        if (!data::is(found.error(), ErrorCode::NotFound)) return found.error();
        return t->add(r);
    }
    if (!found) return found.error();
    return t->put(r);
}

core::Status deleteReport(data::DataSet& ds, const data::Rapor& r) {
    auto cols = reportColumns(ds, r);
    if (!cols) return cols.error();
    auto heads = ds.open<data::Rapor>(true);
    if (!heads) return heads.error();
    auto t = ds.open<data::DRapor>(true);
    if (!t) return t.error();
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started().error();
    for (const auto& c : *cols) {
        if (auto cur = t->get("DRP:RapNoKey", c); !cur) return cur.error();
        if (auto st = t->erase(); !st) return st;
    }
    if (auto cur = heads->get("RAP:RapKodKey", r); !cur) return cur.error();
    if (auto st = heads->erase(); !st) return st;
    return tx.commit();
}

core::Status saveColumn(data::DataSet& ds, const data::DRapor& c, std::optional<int> oldNumber) {
    if (c.SIRANO <= 0) return core::Error::badInput("Sıra No 0 olamaz");
    const std::string kind = clipped(c.NTLK);
    if (kind != "S" && kind != "D" && kind != "F") return core::Error::badInput("Saha Niteliği S, D veya F olmalı");
    auto t = ds.open<data::DRapor>(true);
    if (!t) return t.error();
    if (!oldNumber || *oldNumber != c.SIRANO) {
        auto clash = t->get("DRP:RapNoKey", c);
        if (clash) return duplicate("DRapor", "DRP:RapNoKey");
        if (!data::is(clash.error(), ErrorCode::NotFound)) return clash.error();
    }
    if (!oldNumber) return t->add(c);
    data::DRapor key = c;
    key.SIRANO = static_cast<std::int16_t>(*oldNumber);
    if (auto cur = t->get("DRP:RapNoKey", key); !cur) return cur.error();
    return t->put(c);
}

core::Status deleteColumn(data::DataSet& ds, const data::DRapor& c) {
    auto t = ds.open<data::DRapor>(true);
    if (!t) return t.error();
    if (auto cur = t->get("DRP:RapNoKey", c); !cur) return cur.error();
    return t->erase();
}

core::Result<int> moveColumn(data::DataSet& ds, const data::DRapor& c, Move m) {
    auto t = ds.open<data::DRapor>(true);
    if (!t) return t.error();
    data::DRapor key = c;
    key.SIRANO = static_cast<std::int16_t>(c.SIRANO + (m == Move::Up ? -1 : 1));
    if (key.SIRANO <= 0) return static_cast<int>(c.SIRANO);
    auto other = t->get("DRP:RapNoKey", key);
    if (!other) {
        if (data::is(other.error(), ErrorCode::NotFound)) return static_cast<int>(c.SIRANO);
        return other.error();
    }
    auto self = t->get("DRP:RapNoKey", c);
    if (!self) return self.error();
    const data::DRapor a = *self, b = *other;
    auto st = swapNumbers(ds, *t, "DRP:RapNoKey", a, b,
                          [](data::DRapor& r, int n) { r.SIRANO = static_cast<std::int16_t>(n); }, a.SIRANO, b.SIRANO);
    if (!st) return st.error();
    return static_cast<int>(b.SIRANO);
}

// ---- field list ----

core::Result<std::vector<data::DataList>> fieldList(data::DataSet& ds, std::string_view kind) {
    if (kind != "1" && kind != "2" && kind != "3") return std::vector<data::DataList>{};
    auto t = ds.open<data::DataList>(true);
    if (!t) return t.error();
    data::DataList key;
    key.KOD = static_cast<std::uint8_t>(kind[0] - '0');
    return scanFrom(*t, "Dls:KeyKod", key, [&](const data::DataList& d) { return d.KOD == key.KOD; });
}

std::string appendName(std::string_view text, std::string_view name) {
    return core::text::clip(text) + std::string(core::text::clip(name));
}

void chooseColumnField(data::DRapor& c, const data::DataList& field) {
    const std::string type = core::text::trim(field.CINS);
    const std::string name = core::text::clip(field.AD);
    if (type == "STRING" || type == "CSTRING") {
        c.FIELDKOD = appendName(c.FIELDKOD, name);
        c.NTLK = "S";
        c.UZUNLUK = field.UZUNLUK;
        char pic[16];
        std::snprintf(pic, sizeof pic, "@s%02d", static_cast<int>(field.UZUNLUK));
        c.FRML = pic;
    } else if (type == "DATE") {
        c.FIELDKOD = appendName(c.FIELDKOD, "Format(" + name + ",@d17b)");
        c.NTLK = "S";
        c.UZUNLUK = 10;
        c.FRML = "@s10";
    } else {
        c.FIELDKOD = appendName(c.FIELDKOD, name);
        c.NTLK = "D";
        c.UZUNLUK = 15;
        c.FRML = "@n15.2";
    }
}

// ---- statements ----

data::DTablo newLine(int number, std::string_view side) {
    data::DTablo l;
    l.RAPNO = std::to_string(number);
    l.AKTIFPASIF = std::string(side);
    l.NITELIK = "D";
    l.YAZILSINMI = "E";
    return l;
}

core::Result<std::vector<data::DTablo>> statementLines(data::DataSet& ds, int number, std::string_view side) {
    auto t = ds.open<data::DTablo>(true);
    if (!t) return t.error();
    const data::DTablo key = newLine(number, side);
    auto all = scanFrom(*t, "BDRP:RapNoKey", key,
                        [&](const data::DTablo& l) { return clipped(l.RAPNO) == clipped(key.RAPNO); });
    if (!all) return all.error();
    std::vector<data::DTablo> out;
    for (auto& l : *all)
        if (clipped(l.AKTIFPASIF) == side) out.push_back(std::move(l));
    return out;
}

core::Status saveStatement(data::DataSet& ds, const data::Tablo& t, bool insert) {
    if (t.RAPNO <= 0) return core::Error::badInput("Rapor No 0 olamaz");
    if (core::text::trim(t.RAPORTIPI).empty()) return core::Error::refused(kReportTypeBlank);
    auto file = ds.open<data::Tablo>(true);
    if (!file) return file.error();
    auto found = file->get("BRAP:RapKodKey", t);
    if (insert) {
        if (found) return duplicate("Tablo", "BRAP:RapKodKey");
        if (!data::is(found.error(), ErrorCode::NotFound)) return found.error();
        return file->add(t);
    }
    if (!found) return found.error();
    return file->put(t);
}

core::Status deleteStatement(data::DataSet& ds, const data::Tablo& t) {
    auto heads = ds.open<data::Tablo>(true);
    if (!heads) return heads.error();
    auto lines = ds.open<data::DTablo>(true);
    if (!lines) return lines.error();
    std::vector<data::DTablo> all;
    for (const char* side : {"A", "P"}) {
        auto l = statementLines(ds, t.RAPNO, side);
        if (!l) return l.error();
        all.insert(all.end(), l->begin(), l->end());
    }
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started().error();
    for (const auto& l : all) {
        if (auto cur = lines->get("BDRP:RapNoKey", l); !cur) return cur.error();
        if (auto st = lines->erase(); !st) return st;
    }
    if (auto cur = heads->get("BRAP:RapKodKey", t); !cur) return cur.error();
    if (auto st = heads->erase(); !st) return st;
    return tx.commit();
}

int capMargin(int margin) {
    return margin > 3 ? 3 : margin;
}

core::Status saveLine(data::DataSet& ds, const data::DTablo& line, std::optional<std::pair<int, std::string>> old) {
    data::DTablo l = line;
    const std::string side = clipped(l.AKTIFPASIF);
    if (l.SIRANO <= 0) return core::Error::badInput("Satır No 0 olamaz");
    if (side != "A" && side != "P") return core::Error::badInput("Aktif Pasif A veya P olmalı");
    if (l.BOSLUK < 0) return core::Error::badInput("Kenar Boşluk Adedi 0 ile 3 arasında olmalı");
    l.BOSLUK = static_cast<std::int16_t>(capMargin(l.BOSLUK));
    auto t = ds.open<data::DTablo>(true);
    if (!t) return t.error();
    if (!old || old->first != l.SIRANO || old->second != side) {
        auto clash = t->get("BDRP:RapNoKey", l);
        if (clash) return duplicate("DTablo", "BDRP:RapNoKey");
        if (!data::is(clash.error(), ErrorCode::NotFound)) return clash.error();
    }
    if (!old) return t->add(l);
    data::DTablo key = l;
    key.SIRANO = static_cast<std::int16_t>(old->first);
    key.AKTIFPASIF = old->second;
    if (auto cur = t->get("BDRP:RapNoKey", key); !cur) return cur.error();
    return t->put(l);
}

core::Status deleteLine(data::DataSet& ds, const data::DTablo& l) {
    auto t = ds.open<data::DTablo>(true);
    if (!t) return t.error();
    if (auto cur = t->get("BDRP:RapNoKey", l); !cur) return cur.error();
    return t->erase();
}

core::Result<int> moveLine(data::DataSet& ds, const data::DTablo& l, Move m) {
    auto t = ds.open<data::DTablo>(true);
    if (!t) return t.error();
    data::DTablo key = l;
    key.SIRANO = static_cast<std::int16_t>(l.SIRANO + (m == Move::Up ? -1 : 1));
    if (key.SIRANO <= 0) return static_cast<int>(l.SIRANO);
    auto other = t->get("BDRP:RapNoKey", key);
    if (!other) {
        if (data::is(other.error(), ErrorCode::NotFound)) return static_cast<int>(l.SIRANO);
        return other.error();
    }
    auto self = t->get("BDRP:RapNoKey", l);
    if (!self) return self.error();
    const data::DTablo a = *self, b = *other;
    auto st = swapNumbers(ds, *t, "BDRP:RapNoKey", a, b,
                          [](data::DTablo& r, int n) { r.SIRANO = static_cast<std::int16_t>(n); }, a.SIRANO, b.SIRANO);
    if (!st) return st.error();
    return static_cast<int>(b.SIRANO);
}

} // namespace hk::statements
