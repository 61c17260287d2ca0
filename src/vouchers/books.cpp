#include "vouchers/books.h"

#include "data/errors.h"

namespace hk::vouchers {

core::Result<Books> Books::open(data::DataSet& ds) {
    Books b;
    b.db = &ds.data();
    auto p = ds.open<data::HsPlan>();
    if (!p) return p.error();
    auto h = ds.open<data::FisBas>();
    if (!h) return h.error();
    auto l = ds.open<data::FisDet>();
    if (!l) return l.error();
    auto y = ds.open<data::Yasal>();
    if (!y) return y.error();
    b.plan = std::move(*p);
    b.heads = std::move(*h);
    b.lines = std::move(*l);
    b.company = std::move(*y);
    return b;
}

core::Result<data::Yasal> Books::readCompany() {
    if (auto st = company.setPhysical(); !st) return st.error();
    return company.next();
}

core::Status Books::writeCompany(const data::Yasal& y) {
    return company.put(y);
}

core::Result<data::FisBas> Books::head(std::string_view key) {
    data::FisBas k;
    k.KEYSTR = std::string(key);
    return heads.get("MFB:KeyFis", k);
}

core::Result<bool> Books::headExists(std::string_view key) {
    auto h = head(key);
    if (h) return true;
    if (data::is(h.error(), data::ErrorCode::NotFound)) return false;
    return h.error();
}

core::Result<std::vector<data::FisDet>> Books::linesOf(std::string_view key) {
    std::vector<data::FisDet> out;
    data::FisDet from;
    from.KEYSTR = std::string(key);
    if (auto st = lines.set("MFD:KeyFisSiraNo", data::Seek::AtOrAfter, from); !st)
        return st.error();
    for (;;) {
        auto l = lines.next();
        if (!l) {
            if (data::is(l.error(), data::ErrorCode::NoRecord)) break;
            return l.error();
        }
        if (l->KEYSTR != key) break;
        out.push_back(std::move(*l));
    }
    return out;
}

core::Status Books::eraseLines(std::string_view key) {
    data::FisDet from;
    from.KEYSTR = std::string(key);
    for (;;) {
        if (auto st = lines.set("MFD:KeyFisSiraNo", data::Seek::AtOrAfter, from); !st) return st;
        auto l = lines.next();
        if (!l) {
            if (data::is(l.error(), data::ErrorCode::NoRecord)) return {};
            return l.error();
        }
        if (l->KEYSTR != key) return {};
        if (auto st = lines.erase(); !st) return st;
    }
}

core::Result<data::HsPlan> Books::account(std::string_view code) {
    data::HsPlan k;
    k.HESAPKODU = std::string(code);
    return plan.get("HSP:KeyHesap", k);
}

std::string storageText(const core::Error& e) {
    return e.describe();
}

} // namespace hk::vouchers
