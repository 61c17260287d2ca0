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

#include "data/dictionary.h"
#include "data/records.h"
#include "expr/bindings.h"

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
            const data::FieldDef& f = def.fields[walk.next()];
            const std::string name = def.prefix + ":" + f.name;
            bindMember(b, name, member);
        });
    }
    RecordBinding(const RecordBinding&) = delete;
    RecordBinding& operator=(const RecordBinding&) = delete;

    const T& record() const { return rec_; }
    void set(const T& r) {
        rec_ = r;
        refresh();
    }
    // After changing the record in place.
    T& edit() { return rec_; }
    void refresh() {
        for (auto& m : mirrors_) m.second = m.first();
    }
    void clear() { set(T{}); }

  private:
    template <typename M> void bindMember(expr::Bindings& b, const std::string& name, M& m) {
        if constexpr (data::detail::IsArray<M>::value) {
            for (std::size_t i = 0; i < m.size(); ++i)
                bindMember(b, name + "[" + std::to_string(i + 1) + "]", m[i]);
        } else if constexpr (std::is_same_v<M, std::string> || std::is_same_v<M, double> ||
                             std::is_same_v<M, core::Date> || std::is_same_v<M, std::int32_t>) {
            b.bind(name, expr::Variable(&m));
        } else if constexpr (std::is_integral_v<M>) {
            M* p = &m;
            mirrors_.emplace_back([p] { return static_cast<std::int32_t>(*p); }, 0);
            b.bind(name, expr::Variable(&mirrors_.back().second));
        }
        // Times are not named by any definition and stay unbound.
    }

    T rec_{};
    // deque: elements keep their address as more are added.
    std::deque<std::pair<std::function<std::int32_t()>, std::int32_t>> mirrors_;
};

} // namespace hk::reports
