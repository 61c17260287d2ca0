#pragma once
// The rights lookup over the open user-rights file.

#include "app/rights.h"
#include "data/records.h"
#include "data/table.h"

namespace hk::app {

// Reads (user, menu number) by the key Dusr:IdKey. The table must outlive the lookup and is used
// from one thread only, like every open table.
RightsLookup userRightsLookup(data::TypedTable<data::KLDUsers>& file);

} // namespace hk::app
