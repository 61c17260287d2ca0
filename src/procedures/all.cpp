#include "procedures/all.h"

#include "accounts/procedures.h"
#include "statements/procedures.h"
#include "journal/procedures.h"
#include "vouchers/procedures.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry) {
    // One line per domain module, lowest first: accounts::registerProcedures(registry); ...
    accounts::registerProcedures(registry);
    statements::registerProcedures(registry);
    journal::registerProcedures(registry);
    vouchers::registerProcedures(registry);
}

} // namespace hk::procedures
