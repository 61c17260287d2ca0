#include "app/rights_data.h"

#include "data/errors.h"
#include "data/records.h"
#include "data/table.h"

namespace hk::app {

RightsLookup userRightsLookup(data::TypedTable<data::KLDUsers>& file) {
    return [&file](std::string_view user, int menuNo)
               -> core::Result<std::optional<RightsRow>> {
        data::KLDUsers key;
        key.ID = std::string(user);
        key.MENUNO = menuNo;
        auto row = file.get("Dusr:IdKey", key);
        if (!row) {
            if (data::isMissing(row.error())) return std::optional<RightsRow>{};
            return row.error();
        }
        return std::optional<RightsRow>{
            RightsRow{row->GOSTER, row->IZLE, row->YENIGIR, row->DEGISTIR, row->SIL}};
    };
}

} // namespace hk::app
