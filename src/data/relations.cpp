// The relation steps of Table::put and Table::erase, above the engines: a changed linking field
// is carried to the children, a delete is refused while children exist or takes them along, as
// relations() says. Whatever engine holds the files (SQLite today, a server later) only reads the
// stored record, opens the related file and runs the steps inside one unit of work, so a cascade
// that fails half-way changes nothing.

#include "data/database.h"
#include "data/engine.h"
#include "data/keycodec.h"
#include "data/table.h"

#include <vector>

namespace hk::data {

namespace {

std::vector<const RelationDef*> parentRelations(const TableImpl& t, bool onChange) {
    std::vector<const RelationDef*> out;
    if (!t.appliesRelations()) return out;
    for (const RelationDef& r : relations()) {
        if (r.parent != t.def().layout) continue;
        if (onChange ? r.onChange == OnChange::Cascade : r.onDelete != OnDelete::None)
            out.push_back(&r);
    }
    return out;
}

// Where the children of `parent` (as stored) are in the child file, collected before any of
// them is changed: a cascade moves them within the very key it found them by. Only their places
// are read, not the records: most probes find none (a voucher whose lines were moved first), and
// the records of those found are read again one by one anyway.
core::Result<std::vector<Bookmark>> childrenOf(const RelationDef& rel, Table& child,
                                               const Record& parent) {
    Record probe(child.def());
    for (const auto& [pf, cf] : rel.links)
        if (auto st = probe.setText(cf, *parent.text(pf), 1, true); !st) return st.error();
    const auto key = child.def().key(rel.childKey);
    if (!key)
        return engineError(ErrorCode::BadKey, child.name(), "anahtar yok: " + rel.childKey);
    const std::string prefix =
        encodeKeyPrefix(probe, child.def().keys[*key], rel.links.size(),
                        child.keyFormat());
    std::vector<Bookmark> out;
    if (auto st = child.impl()->placesWithPrefix(*key, prefix, out); !st) return st.error();
    return out;
}

} // namespace

core::Status TableImpl::placesWithPrefix(std::uint32_t key, const std::string& prefix,
                                         std::vector<Bookmark>& out) {
    seek(key, prefix, kBeforeAll);
    for (;;) {
        if (auto st = next(); !st) {
            if (is(st.error(), ErrorCode::NoRecord)) return {};
            return st;
        }
        if (pos_.kv.compare(0, prefix.size(), prefix) != 0) return {};
        out.push_back(bookmark());
    }
}

namespace {

// The engine's own write with the relation steps before it, in one unit of work begun from the
// table. `needs` says whether a relation has work to do for the stored parent, `step` does it on
// the related file (which the store may not have yet: then there is nothing to do).
template <class Needs, class Step, class Write>
core::Status withRelations(Table& t, TableImpl& impl, const std::vector<const RelationDef*>& rels,
                           Needs needs, Step step, Write write) {
    if (rels.empty()) return write();
    Record old(impl.def());
    if (auto st = impl.readStored(old); !st)
        return is(st.error(), ErrorCode::NoRecord) ? write() : st; // the write's own refusal
    auto tx = t.begin();
    if (!tx) return tx.error();
    for (const RelationDef* rel : rels) {
        if (!needs(*rel, old)) continue;
        auto child = impl.related(rel->child);
        if (!child) return child.error();
        if (!*child) continue;
        auto marks = childrenOf(*rel, **child, old);
        if (!marks) return marks.error();
        if (auto st = step(*rel, **child, *marks); !st) return st;
    }
    if (auto st = write(); !st) return st;
    return tx->commit();
}

} // namespace

core::Status Table::put() {
    if (!impl_) return notOpenError();
    if (impl_->narrowed() || impl_->partial()) return narrowedWrite(25);
    const Record& now = impl_->buffer();
    auto changed = [&now](const RelationDef& rel, const Record& old) {
        for (const auto& [pf, cf] : rel.links)
            if (*old.text(pf) != *now.text(pf)) return true;
        return false;
    };
    auto carry = [&now](const RelationDef& rel, Table& ct,
                        const std::vector<Bookmark>& marks) -> core::Status {
        for (const Bookmark& b : marks) {
            if (auto st = ct.reget(b); !st) return st;
            for (const auto& [pf, cf] : rel.links)
                if (auto st = ct.buffer().setText(cf, *now.text(pf), 1, true); !st) return st;
            if (auto st = ct.put(); !st) return st;
        }
        return {};
    };
    return withRelations(*this, *impl_, parentRelations(*impl_, true), changed, carry,
                         [this] { return impl_->put(); });
}

core::Result<bool> Table::putChanges(const Bookmark& at, const Record& was, const Record& now) {
    if (!impl_) return notOpenError();
    const FileDef& d = impl_->def();
    if (&was.def() != &d || &now.def() != &d)
        return engineError(ErrorCode::BadValue, impl_->name(), "kayıt düzeni tablonunki değil");
    if (!at.valid()) return engineError(ErrorCode::NoRecord, impl_->name(), "geçersiz yer imi", 25);
    if (auto st = now.validate(); !st) return st.error();
    std::vector<char> known(d.fields.size(), impl_->narrowed() ? 0 : 1);
    for (std::uint32_t f : impl_->readFields()) known[f] = 1;
    std::vector<char> differs(d.fields.size(), 0);
    std::vector<std::uint32_t> compared, changed, keys;
    for (std::uint32_t f = 0; f < d.fields.size(); ++f) {
        const FieldDef& fd = d.fields[f];
        if (fd.type == FieldType::GROUP) continue;
        for (std::uint32_t e = 0; e < fd.count; ++e)
            if (!(was.slot(fd.slot + e) == now.slot(fd.slot + e))) differs[f] = 1;
        if (differs[f] && !known[f])
            return engineError(ErrorCode::BadValue, impl_->name(),
                               "okunmamış alan değişmiş: " + fd.name);
        if (known[f]) compared.push_back(f);
        if (differs[f]) changed.push_back(f);
    }
    for (std::uint32_t k = 0; k < d.keys.size(); ++k) {
        bool touched = false, whole = true;
        for (const KeyPart& p : d.keys[k].parts) {
            touched = touched || differs[p.field];
            whole = whole && known[p.field];
        }
        if (!touched) continue;
        if (!whole)
            return engineError(ErrorCode::BadValue, impl_->name(),
                               "anahtarın okunmamış parçası var: " + d.keys[k].name);
        keys.push_back(k);
    }
    // A linking field may change only while nothing would have to be carried along: a record
    // with children under the old value is put() (which moves them), not changed here.
    for (const RelationDef* rel : parentRelations(*impl_, true)) {
        bool linkChanges = false;
        for (const auto& [pf, cf] : rel->links) {
            auto f = d.field(pf);
            if (f && differs[*f]) linkChanges = true;
        }
        if (!linkChanges) continue;
        auto child = impl_->related(rel->child);
        if (!child) return child.error();
        if (!*child) continue;
        auto marks = childrenOf(*rel, **child, was);
        if (!marks) return marks.error();
        if (!marks->empty())
            return engineError(ErrorCode::RelatedRecords, impl_->name(),
                               "bağlı kayıtları var: " + (**child).name());
    }
    return impl_->putChanges(at.row, was, now, compared, changed, keys);
}

core::Status Table::erase() {
    if (!impl_) return notOpenError();
    auto always = [](const RelationDef&, const Record&) { return true; };
    auto refuseOrTake = [](const RelationDef& rel, Table& ct,
                           const std::vector<Bookmark>& marks) -> core::Status {
        if (marks.empty()) return {};
        if (rel.onDelete == OnDelete::Refuse)
            return engineError(ErrorCode::RelatedRecords, ct.name(),
                               std::to_string(marks.size()) + " kayıt", 30);
        for (const Bookmark& b : marks) {
            if (auto st = ct.reget(b); !st) return st;
            if (auto st = ct.erase(); !st) return st;
        }
        return {};
    };
    return withRelations(*this, *impl_, parentRelations(*impl_, false), always, refuseOrTake,
                         [this] { return impl_->erase(); });
}

} // namespace hk::data
