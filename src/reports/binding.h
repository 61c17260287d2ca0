#pragma once
// A record of a data file bound field by field into an expression table, under the names the
// definitions use: the file prefix and the field name ("MFD:TLBORC", "HSP:HESAPAD1"), array
// elements with their number in brackets ("HSP:TLBORC[3]").
//
// The binding owns the record it binds. Texts, amounts and dates are bound where they live in
// the record; the narrow integer fields (SHORT, BYTE) have no variable type of their own in the
// expression language, so each is mirrored into a 32-bit copy that set() refreshes. Everything a
// compiled expression reads therefore stays at one address for the life of the binding, which is
// why the binding can be neither copied nor moved.
//
// A report sets a record per line, and the wide records (the chart's, a voucher's) have dozens of
// fields of which a definition reads a handful: once its expressions are compiled, narrowTo()
// limits set() to the members they read, so the others are no longer copied. The record then
// holds current values in those members only.

#include "data/dictionary.h"
#include "data/records.h"
#include "expr/bindings.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace hk::reports {

template <data::RecordStruct T> class RecordBinding {
  public:
    explicit RecordBinding(expr::Bindings& b) {
        const data::FileDef& def = data::fileDef(T::kLayout);
        data::detail::FieldWalker walk(def);
        rec_.visit([&](auto& member) {
            field_ = walk.next();
            const data::FieldDef& f = def.fields[field_];
            const std::string name = def.prefix + ":" + f.name;
            bindMember(b, name, member);
        });
    }
    RecordBinding(const RecordBinding&) = delete;
    RecordBinding& operator=(const RecordBinding&) = delete;

    const T& record() const { return rec_; }
    void set(const T& r) {
        if (!narrowed_) {
            rec_ = r;
            refresh();
            return;
        }
        const auto* from = reinterpret_cast<const char*>(&r);
        auto* to = reinterpret_cast<char*>(&rec_);
        for (const Member& m : used_) {
            m.copy(to + m.offset, from + m.offset);
            if (m.mirror) m.mirror->second = m.mirror->first();
        }
    }
    // After changing the record in place.
    T& edit() { return rec_; }
    void refresh() {
        for (auto& m : mirrors_) m.second = m.first();
    }
    void clear() { set(T{}); }

    // Limits set() to the members bound at one of `read` (the addresses compiled expressions
    // read). False when no member of this record is read: the caller need not fetch it at all.
    bool narrowTo(const std::vector<const void*>& read) {
        used_.clear();
        for (const Member& m : members_)
            if (std::find(read.begin(), read.end(), m.bound) != read.end()) used_.push_back(m);
        narrowed_ = true;
        return !used_.empty();
    }
    // The fields (indices into the file's dictionary) of the members set() copies after
    // narrowTo(): what a table's reads must fill for this binding (data::Table::narrowTo).
    std::vector<std::uint32_t> fieldsRead() const {
        std::vector<std::uint32_t> out;
        for (const Member& m : used_) out.push_back(m.field);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

  private:
    using Mirror = std::pair<std::function<std::int32_t()>, std::int32_t>;
    // A bound member: where it lies in the record, how to copy it, and the address expressions
    // read it at (the member itself or its 32-bit mirror).
    struct Member {
        std::size_t offset = 0;
        void (*copy)(char* to, const char* from) = nullptr;
        const void* bound = nullptr;
        Mirror* mirror = nullptr;
        std::uint32_t field = 0;
    };
    template <typename M> static void copyMember(char* to, const char* from) {
        *reinterpret_cast<M*>(to) = *reinterpret_cast<const M*>(from);
    }
    template <typename M> void note(M& m, const void* bound, Mirror* mirror) {
        // Members are found again in another record of the type by their offset.
        const auto offset = static_cast<std::size_t>(reinterpret_cast<const char*>(&m) -
                                                     reinterpret_cast<const char*>(&rec_));
        members_.push_back({offset, &copyMember<M>, bound, mirror, field_});
    }
    template <typename M> void bindMember(expr::Bindings& b, const std::string& name, M& m) {
        if constexpr (data::detail::IsArray<M>::value) {
            for (std::size_t i = 0; i < m.size(); ++i)
                bindMember(b, name + "[" + std::to_string(i + 1) + "]", m[i]);
        } else if constexpr (std::is_same_v<M, std::string> || std::is_same_v<M, double> ||
                             std::is_same_v<M, core::Date> || std::is_same_v<M, std::int32_t>) {
            b.bind(name, expr::Variable(&m));
            note(m, &m, nullptr);
        } else if constexpr (std::is_integral_v<M>) {
            M* p = &m;
            mirrors_.emplace_back([p] { return static_cast<std::int32_t>(*p); }, 0);
            b.bind(name, expr::Variable(&mirrors_.back().second));
            note(m, &mirrors_.back().second, &mirrors_.back());
        }
        // Times are not named by any definition and stay unbound.
    }

    T rec_{};
    std::uint32_t field_ = 0; // the field being bound (constructor only)
    // deque: elements keep their address as more are added.
    std::deque<Mirror> mirrors_;
    std::vector<Member> members_;
    std::vector<Member> used_;
    bool narrowed_ = false;
};

} // namespace hk::reports
