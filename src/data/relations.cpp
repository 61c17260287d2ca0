// The relation steps of Table::put and Table::erase, above the engines: a changed linking field
// is carried to the children, a delete is refused while children exist or takes them along, as
// relations() says. Whatever engine holds the files (SQLite today, a server later) only reads the
// stored record, opens the related file and runs the steps inside one unit of work, so a cascade
// that fails half-way changes nothing.

#include "data/database.h"
#include "data/engine.h"
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
// them is changed: a cascade moves them within the very key it found them by.
core::Result<std::vector<Bookmark>> childrenOf(const RelationDef& rel, Table& child,
                                               const Record& parent) {
    Record probe(child.def());
    for (const auto& [pf, cf] : rel.links)
        if (auto st = probe.setText(cf, *parent.text(pf), 1, true); !st) return st.error();
    std::vector<Bookmark> out;
    auto st = child.scanPrefix(rel.childKey, probe, rel.links.size(), [&]() -> core::Result<bool> {
        out.push_back(child.bookmark());
        return true;
    });
    if (!st) return st.error();
    return out;
}

} // namespace

core::Status Table::put() {
    if (!impl_) return notOpenError();
    const auto rels = parentRelations(*impl_, true);
    if (rels.empty()) return impl_->put();
    Record old(impl_->def());
    if (auto st = impl_->readStored(old); !st) {
        if (is(st.error(), ErrorCode::NoRecord)) return impl_->put(); // its own refusal
        return st;
    }
    const Record& now = impl_->buffer();
    auto tx = begin();
    if (!tx) return tx.error();
    for (const RelationDef* rel : rels) {
        bool changed = false;
        for (const auto& [pf, cf] : rel->links)
            if (*old.text(pf) != *now.text(pf)) changed = true;
        if (!changed) continue;
        auto child = impl_->related(rel->child);
        if (!child) return child.error();
        if (!*child) continue;
        Table& ct = **child;
        auto marks = childrenOf(*rel, ct, old);
        if (!marks) return marks.error();
        for (const Bookmark& b : *marks) {
            if (auto st = ct.reget(b); !st) return st;
            for (const auto& [pf, cf] : rel->links)
                if (auto st = ct.buffer().setText(cf, *now.text(pf), 1, true); !st) return st;
            if (auto st = ct.put(); !st) return st;
        }
    }
    if (auto st = impl_->put(); !st) return st;
    return tx->commit();
}

core::Status Table::erase() {
    if (!impl_) return notOpenError();
    const auto rels = parentRelations(*impl_, false);
    if (rels.empty()) return impl_->erase();
    Record old(impl_->def());
    if (auto st = impl_->readStored(old); !st) {
        if (is(st.error(), ErrorCode::NoRecord)) return impl_->erase(); // its own refusal
        return st;
    }
    auto tx = begin();
    if (!tx) return tx.error();
    for (const RelationDef* rel : rels) {
        auto child = impl_->related(rel->child);
        if (!child) return child.error();
        if (!*child) continue;
        Table& ct = **child;
        auto marks = childrenOf(*rel, ct, old);
        if (!marks) return marks.error();
        if (marks->empty()) continue;
        if (rel->onDelete == OnDelete::Refuse)
            return engineError(ErrorCode::RelatedRecords, ct.name(),
                               std::to_string(marks->size()) + " kayıt", 30);
        for (const Bookmark& b : *marks) {
            if (auto st = ct.reget(b); !st) return st;
            if (auto st = ct.erase(); !st) return st;
        }
    }
    if (auto st = impl_->erase(); !st) return st;
    return tx->commit();
}

} // namespace hk::data
