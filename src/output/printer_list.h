#pragma once
// The printers installed on this machine, as CUPS knows them. With no printer (or no CUPS
// server) the list is empty: the program still previews and writes PDFs.

#include <string>
#include <string_view>
#include <vector>

namespace hk::output {

struct PrinterInfo {
    std::string name; // queue name; its first letters give the printer kind
    bool isDefault = false;
};

std::vector<PrinterInfo> installedPrinters();
// The default queue's name, empty when there is none.
std::string defaultPrinter();
bool isInstalledPrinter(std::string_view name);

} // namespace hk::output
