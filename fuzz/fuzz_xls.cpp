// Any bytes as a workbook file (FreeXL reads from a path): a clear error or a workbook, never a
// crash. The file kind is told by the first bytes, so the same target also reaches the .xlsx path.
#include "output/sheet_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/hk_fuzz_xls_" + std::to_string(::getpid()) + ".xls";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    auto wb = hk::output::Workbook::open(path);
    if (wb.ok())
        for (const auto& c : wb->cells())
            if (c.row == 0 || c.col == 0 || c.text.empty()) __builtin_trap();
    return 0;
}
