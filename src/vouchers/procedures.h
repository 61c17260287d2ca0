#pragma once
// The voucher procedures in the one procedure table: the menu's rebuilds and repairs and the
// command-line commands "voucher import|export|list|show|delete" and "rebuild".

#include "app/procedure.h"

namespace hk::vouchers {

void registerProcedures(app::ProcedureRegistry& registry);

} // namespace hk::vouchers
