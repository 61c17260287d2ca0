#include "vouchers/descriptions.h"

#include "accounts/messages.h"
#include "core/text.h"
#include "data/errors.h"
#include "data/database.h"

namespace hk::vouchers {

namespace text = core::text;

namespace {

// The text as it is stored (trailing blanks cut), or the reason it cannot be.
core::Result<std::string> checked(const std::string& typed) {
    const std::string t = text::clip(typed);
    if (text::trim(t).empty()) return core::Error::badInput(ackmsg::kBlank);
    if (!text::isCp1254(t)) return core::Error::badInput(ackmsg::kForeign);
    if (text::length(t) > kDescriptionWidth) return core::Error::badInput(ackmsg::kTooLong);
    return t;
}

core::Status refused(app::Ui& ui, const core::Error& e) {
    return accounts::refuseInput(ui, e);
}

// Positions the file on the record holding `old`; false when there is none.
core::Result<bool> find(data::TypedTable<data::FisAck>& t, const std::string& old) {
    data::FisAck k;
    k.ACK = text::clip(old);
    auto r = t.get("ACK:KeyAck", k);
    if (r) return true;
    if (data::is(r.error(), data::ErrorCode::NotFound)) return false;
    return r.error();
}

} // namespace

core::Result<std::vector<std::string>> descriptions(data::DataSet& ds) {
    auto t = ds.open<data::FisAck>();
    if (!t) return t.error();
    if (auto st = t->set("ACK:KeyAck"); !st) return st.error();
    std::vector<std::string> out;
    for (;;) {
        auto r = t->next();
        if (!r) {
            if (data::is(r.error(), data::ErrorCode::NoRecord)) break;
            return r.error();
        }
        out.push_back(text::clip(r->ACK));
    }
    return out;
}

core::Status addDescription(data::DataSet& ds, app::Ui& ui, const std::string& typed) {
    auto t = checked(typed);
    if (!t) return refused(ui, t.error());
    auto file = ds.open<data::FisAck>();
    if (!file) return accounts::raiseStored(ui, file.error(), 23);
    data::FisAck rec;
    rec.ACK = *t;
    if (auto st = file->add(rec); !st) return accounts::raiseStored(ui, st.error(), 13);
    return {};
}

core::Status changeDescription(data::DataSet& ds, app::Ui& ui, const std::string& old,
                               const std::string& typed) {
    auto t = checked(typed);
    if (!t) return refused(ui, t.error());
    auto file = ds.open<data::FisAck>();
    if (!file) return accounts::raiseStored(ui, file.error(), 23);
    data::Transaction tx{ds.databaseOf("FisAck")};
    if (!tx.started()) return accounts::raiseStored(ui, tx.started().error(), 21);
    auto found = find(*file, old);
    if (!found) return accounts::raiseStored(ui, found.error(), 1);
    if (!*found) return accounts::refuse(ui, text::clip(old) + ackmsg::kMissing);
    data::FisAck rec;
    rec.ACK = *t;
    if (auto st = file->put(rec); !st) return accounts::raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return accounts::raiseStored(ui, st.error(), 21);
    return {};
}

core::Status deleteDescription(data::DataSet& ds, app::Ui& ui, const std::string& old) {
    auto file = ds.open<data::FisAck>();
    if (!file) return accounts::raiseStored(ui, file.error(), 23);
    auto found = find(*file, old);
    if (!found) return accounts::raiseStored(ui, found.error(), 1);
    if (!*found) return accounts::refuse(ui, text::clip(old) + ackmsg::kMissing);
    if (auto st = file->erase(); !st) return accounts::raiseStored(ui, st.error(), 1);
    return {};
}

} // namespace hk::vouchers
