#include "procedures/all.h"

#include "vouchers/procedures.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry) {
    // One line per domain module, lowest first: accounts::registerProcedures(registry); ...
    vouchers::registerProcedures(registry);
}

} // namespace hk::procedures
