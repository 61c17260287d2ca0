#pragma once
// Printer kinds and the control bytes each kind understands.
//
// The kind of a printer follows from its device (queue) name:
//
//   kind      device name                 output route
//   --------  --------------------------  ------------------------------------------------------
//   Npq       starts with "NPQ"           raw dot-matrix (ESC/P): lines go straight to the queue
//   Lpq       starts with "LPQ"           text printer with single-byte control codes
//   Ordinary  anything else               preview, PDF and the system's print dialog
//
// The journal and the books printed with it use a looser test: the name containing "NPQ" (or
// "LPQ") anywhere decides, so queues named like "Muhasebe-NPQ" also print raw there.
//
// Control codes by kind (bytes; Ordinary printers get none):
//
//   code           Npq (ESC/P)        Lpq
//   -------------  -----------------  ----
//   Reset          1B 40  ESC @       82
//   Pica10         1B 50  ESC P       83    10 characters per inch
//   Elite12        1B 4D  ESC M       84    12 characters per inch
//   Condensed      0F     SI          85
//   PageLength33   1B 43 21 ESC C !   88    33-line page
//   EmphasisOn     1B 47  ESC G       89    double strike
//   EmphasisOff    1B 48  ESC H       8A
//   PageLength66   1B 43 42 ESC C B   8B    66-line page
//   FormFeed       0C                 0C
//
// The Lpq codes are the printer's own single bytes; they are kept apart from the text (see
// page.h) so they never meet the code-page conversion of the text.

#include <initializer_list>
#include <string>
#include <string_view>

namespace hk::output {

enum class PrinterKind { Ordinary, Npq, Lpq };

// First three letters of the upper-cased device name.
PrinterKind printerKind(std::string_view deviceName);
// The journal's variant: "NPQ" anywhere in the upper-cased name, else "LPQ" anywhere.
PrinterKind journalPrinterKind(std::string_view deviceName);
// "NPQ", "LPQ" or "" (ordinary).
std::string_view kindName(PrinterKind kind);
// True for the kinds whose font controls are hidden (raw dot-matrix and text printers).
inline bool isTextPrinter(PrinterKind kind) {
    return kind != PrinterKind::Ordinary;
}

enum class ControlCode {
    Reset,
    Pica10,
    Elite12,
    Condensed,
    PageLength33,
    PageLength66,
    EmphasisOn,
    EmphasisOff,
    FormFeed,
};

// The bytes of one control code for the kind; empty for Ordinary printers.
std::string controlBytes(PrinterKind kind, ControlCode code);
// Several codes in order, e.g. an initialisation line.
std::string controlBytes(PrinterKind kind, std::initializer_list<ControlCode> codes);

} // namespace hk::output
