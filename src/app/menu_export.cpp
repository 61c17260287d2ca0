#include "app/menu_export.h"

#include "data/errors.h"

namespace hk::app {

core::Result<output::Sheet> menuListSheet(data::DataSet& dataSet) {
    auto menu = dataSet.open<data::MenuList>(false);
    if (!menu) return menu.error();
    return menuListSheet(*menu);
}

core::Result<output::Sheet> menuListSheet(data::TypedTable<data::MenuList>& menu) {
    output::Sheet sheet;
    sheet.headingRow({{"M.No", output::NumberFormat::Amount}, {"Menu Adı"}});
    if (auto st = menu.set("Men:KyMenu", data::Seek::First); !st) return st.error();
    for (;;) {
        auto item = menu.next();
        if (!item) {
            if (data::is(item.error(), data::ErrorCode::NoRecord)) break;
            return item.error();
        }
        sheet.row().number(item->MENUNO).text(item->MENUADI);
    }
    return sheet;
}

ListExportResult exportMenuList(Ui& ui, data::DataSet& dataSet,
                                const output::ExportTarget& target) {
    return exportList(
        ui, [&] { return menuListSheet(dataSet); }, target);
}

} // namespace hk::app
