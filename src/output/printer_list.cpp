#include "output/printer_list.h"

#include <cups/cups.h>

#include <memory>

namespace hk::output {

namespace {

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list); }
    ~Dests() { cupsFreeDests(count, list); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
};

} // namespace

std::vector<PrinterInfo> installedPrinters() {
    Dests d;
    std::vector<PrinterInfo> out;
    for (int i = 0; i < d.count; ++i) {
        // Instances ("queue/instance") share their queue; the raw route prints to queues.
        if (d.list[i].instance) continue;
        out.push_back({d.list[i].name, d.list[i].is_default != 0});
    }
    return out;
}

std::string defaultPrinter() {
    for (const auto& p : installedPrinters())
        if (p.isDefault) return p.name;
    return {};
}

bool isInstalledPrinter(std::string_view name) {
    for (const auto& p : installedPrinters())
        if (p.name == name) return true;
    return false;
}

} // namespace hk::output
