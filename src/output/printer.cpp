#include "output/printer.h"

#include "core/text.h"

namespace hk::output {

namespace {

// Device names are ASCII in practice, but upper-casing goes through the Turkish rules so that a
// name typed as "npq..." (lower-case dotless/dotted letters aside) is recognised the same way.
std::string upperName(std::string_view name) {
    return core::text::upperTr(name);
}

} // namespace

PrinterKind printerKind(std::string_view deviceName) {
    const std::string head = core::text::left(upperName(deviceName), 3);
    if (head == "NPQ") return PrinterKind::Npq;
    if (head == "LPQ") return PrinterKind::Lpq;
    return PrinterKind::Ordinary;
}

PrinterKind journalPrinterKind(std::string_view deviceName) {
    const std::string name = upperName(deviceName);
    if (name.find("NPQ") != std::string::npos) return PrinterKind::Npq;
    if (name.find("LPQ") != std::string::npos) return PrinterKind::Lpq;
    return PrinterKind::Ordinary;
}

std::string_view kindName(PrinterKind kind) {
    switch (kind) {
    case PrinterKind::Npq:
        return "NPQ";
    case PrinterKind::Lpq:
        return "LPQ";
    case PrinterKind::Ordinary:
        break;
    }
    return "";
}

std::string controlBytes(PrinterKind kind, ControlCode code) {
    if (kind == PrinterKind::Npq) {
        switch (code) {
        case ControlCode::Reset:
            return "\x1B\x40";
        case ControlCode::Pica10:
            return "\x1B\x50";
        case ControlCode::Elite12:
            return "\x1B\x4D";
        case ControlCode::Condensed:
            return "\x0F";
        case ControlCode::PageLength33:
            return "\x1B\x43\x21";
        case ControlCode::PageLength66:
            return "\x1B\x43\x42";
        case ControlCode::EmphasisOn:
            return "\x1B\x47";
        case ControlCode::EmphasisOff:
            return "\x1B\x48";
        case ControlCode::FormFeed:
            return "\x0C";
        }
    } else if (kind == PrinterKind::Lpq) {
        switch (code) {
        case ControlCode::Reset:
            return "\x82";
        case ControlCode::Pica10:
            return "\x83";
        case ControlCode::Elite12:
            return "\x84";
        case ControlCode::Condensed:
            return "\x85";
        case ControlCode::PageLength33:
            return "\x88";
        case ControlCode::PageLength66:
            return "\x8B";
        case ControlCode::EmphasisOn:
            return "\x89";
        case ControlCode::EmphasisOff:
            return "\x8A";
        // A text printer fed raw ends its page the way every line printer does.
        case ControlCode::FormFeed:
            return "\x0C";
        }
    }
    return {};
}

std::string controlBytes(PrinterKind kind, std::initializer_list<ControlCode> codes) {
    std::string out;
    for (ControlCode c : codes)
        out += controlBytes(kind, c);
    return out;
}

} // namespace hk::output
