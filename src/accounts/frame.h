#pragma once
// The frame-class list (CsPlan): class and frame-group codes with their names for the trial
// balance. Nothing ties its codes to the chart; the only rule is the unique code, and texts must
// fit their fields (18 and 50 characters, Turkish code page).

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <string_view>

namespace hk::accounts {

core::Status addFrameClass(data::DataSet& data, const data::CsPlan& c, app::Ui& ui);
core::Status changeFrameClass(data::DataSet& data, std::string_view oldCode,
                              const data::CsPlan& c, app::Ui& ui);

} // namespace hk::accounts
