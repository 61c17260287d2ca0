// Any bytes as an .xlsx workbook: a clear error or a workbook, within the limits, never a crash.
#include "output/sheet_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hk::output::ReadLimits limits;
    limits.archive.maxTotalBytes = 16u << 20; // keep runs quick; the caps are what is tested
    limits.maxXmlBytes = 8u << 20;
    auto wb = hk::output::Workbook::fromXlsxBytes(
        std::string(reinterpret_cast<const char*>(data), size), limits);
    if (wb.ok()) {
        for (const auto& c : wb->cells())
            if (wb->cellText(c.row, c.col) != c.text || c.row > wb->rowCount() ||
                c.col > wb->colCount())
                __builtin_trap();
    }
    return 0;
}
