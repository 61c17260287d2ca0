#pragma once
// Small helpers shared by the voucher tools (not part of the module's interface).

#include "app/ui.h"
#include "core/result.h"
#include "data/errors.h"
#include "data/records.h"
#include "vouchers/books.h"

#include <string>
#include <string_view>

namespace hk::vouchers::detail {

// Shows `message` (one "&Tamam" box) and returns the refusal that says so.
core::Error toolRefusal(app::Ui& ui, const std::string& message);
// The header with that key; a missing one is the caller's bad input ("fiş yok: KEY").
core::Result<data::FisBas> readHead(Books& b, std::string_view key);
// Reads the next record; false at the end, an error for anything else.
template <typename T, typename Table> core::Result<bool> nextOf(Table& t, T& out) {
    auto r = t.next();
    if (!r) {
        if (data::is(r.error(), data::ErrorCode::NoRecord)) return false;
        return r.error();
    }
    out = std::move(*r);
    return true;
}

} // namespace hk::vouchers::detail
