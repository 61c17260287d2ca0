#pragma once
// The voucher tools in the one procedure table: the menu's maintenance procedures (FisSirala,
// FisSiralaDüzelt, FisDovizDüzelt, TarihAyarla) and the command-line commands "voucher copy |
// transfer | attribute | renumber | sort", "account-transfer", "revalue" and "export vouchers".

#include "app/procedure.h"

namespace hk::vouchers {

void registerToolProcedures(app::ProcedureRegistry& registry);

} // namespace hk::vouchers
