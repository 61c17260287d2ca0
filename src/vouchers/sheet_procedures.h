#pragma once
// The command-line commands of the voucher sheets and the expense-voucher workbook import:
// "voucher print" (one voucher, a key range, or the bulk selection of "Toplu Fiş Yaz") and
// "voucher import-sheet" (HkrFiSOku, menu 5127).

#include "app/procedure.h"
#include "core/result.h"
#include "output/page.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace hk::vouchers {

// Opens a PDF sink where the program has one (the desktop program and a CLI built with the
// renderer); without it --pdf is refused.
using SheetPdfOpener = std::function<core::Result<std::unique_ptr<output::PageSink>>(
    const std::filesystem::path&, const output::PageStyle&)>;

void registerSheetProcedures(app::ProcedureRegistry& registry, SheetPdfOpener pdf = {});

} // namespace hk::vouchers
