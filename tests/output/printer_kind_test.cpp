// Printer kinds from device names and the control bytes of each kind.
#include "output/printer.h"

#include <gtest/gtest.h>

using namespace hk::output;

namespace {

struct KindCase {
    const char* name;
    PrinterKind byPrefix;   // first three letters
    PrinterKind byContents; // the journal's "anywhere" rule
};

const KindCase kKindCases[] = {
    {"NPQ", PrinterKind::Npq, PrinterKind::Npq},
    {"NPQ_Epson_LX300", PrinterKind::Npq, PrinterKind::Npq},
    {"npq-okidata", PrinterKind::Npq, PrinterKind::Npq},
    {"LPQ", PrinterKind::Lpq, PrinterKind::Lpq},
    {"lpqText", PrinterKind::Lpq, PrinterKind::Lpq},
    {"Muhasebe-NPQ", PrinterKind::Ordinary, PrinterKind::Npq},
    {"Kat2_lpq", PrinterKind::Ordinary, PrinterKind::Lpq},
    // Both present: the raw dot-matrix reading wins in the journal's rule.
    {"LPQ-NPQ", PrinterKind::Lpq, PrinterKind::Npq},
    {"HP_LaserJet", PrinterKind::Ordinary, PrinterKind::Ordinary},
    {"NP", PrinterKind::Ordinary, PrinterKind::Ordinary},
    {"N PQ", PrinterKind::Ordinary, PrinterKind::Ordinary},
    {"", PrinterKind::Ordinary, PrinterKind::Ordinary},
};

TEST(PrinterKind, FollowsTheDeviceName) {
    for (const auto& c : kKindCases) {
        EXPECT_EQ(printerKind(c.name), c.byPrefix) << c.name;
        EXPECT_EQ(journalPrinterKind(c.name), c.byContents) << c.name;
    }
}

TEST(PrinterKind, Names) {
    EXPECT_EQ(kindName(PrinterKind::Npq), "NPQ");
    EXPECT_EQ(kindName(PrinterKind::Lpq), "LPQ");
    EXPECT_EQ(kindName(PrinterKind::Ordinary), "");
    EXPECT_TRUE(isTextPrinter(PrinterKind::Npq));
    EXPECT_TRUE(isTextPrinter(PrinterKind::Lpq));
    EXPECT_FALSE(isTextPrinter(PrinterKind::Ordinary));
}

struct CodeCase {
    ControlCode code;
    const char* npq;
    const char* lpq;
};

// ESC/P codes of the dot-matrix printers and the single bytes of the text printers, written out
// from the printer manuals' tables.
const CodeCase kCodeCases[] = {
    {ControlCode::Reset, "\x1B\x40", "\x82"},
    {ControlCode::Pica10, "\x1B\x50", "\x83"},
    {ControlCode::Elite12, "\x1B\x4D", "\x84"},
    {ControlCode::Condensed, "\x0F", "\x85"},
    {ControlCode::PageLength33, "\x1B\x43\x21", "\x88"},
    {ControlCode::EmphasisOn, "\x1B\x47", "\x89"},
    {ControlCode::EmphasisOff, "\x1B\x48", "\x8A"},
    {ControlCode::PageLength66, "\x1B\x43\x42", "\x8B"},
    {ControlCode::FormFeed, "\x0C", "\x0C"},
};

TEST(ControlBytes, EachCodeOfEachKind) {
    for (const auto& c : kCodeCases) {
        EXPECT_EQ(controlBytes(PrinterKind::Npq, c.code), c.npq) << static_cast<int>(c.code);
        EXPECT_EQ(controlBytes(PrinterKind::Lpq, c.code), c.lpq) << static_cast<int>(c.code);
        EXPECT_EQ(controlBytes(PrinterKind::Ordinary, c.code), "") << static_cast<int>(c.code);
    }
}

TEST(ControlBytes, InitialisationSequences) {
    using C = ControlCode;
    // Journal: reset, 66-line page, 10 cpi, condensed, emphasis on.
    EXPECT_EQ(controlBytes(PrinterKind::Npq,
                           {C::Reset, C::PageLength66, C::Pica10, C::Condensed, C::EmphasisOn}),
              std::string("\x1B\x40\x1B\x43\x42\x1B\x50\x0F\x1B\x47"));
    EXPECT_EQ(controlBytes(PrinterKind::Lpq,
                           {C::Reset, C::PageLength66, C::Pica10, C::Condensed, C::EmphasisOn}),
              std::string("\x82\x8B\x83\x85\x89"));
    // Trial balance: reset, 12 cpi, condensed, emphasis on.
    EXPECT_EQ(controlBytes(PrinterKind::Npq, {C::Reset, C::Elite12, C::Condensed, C::EmphasisOn}),
              std::string("\x1B\x40\x1B\x4D\x0F\x1B\x47"));
    EXPECT_EQ(controlBytes(PrinterKind::Lpq, {C::Reset, C::Elite12, C::Condensed, C::EmphasisOn}),
              std::string("\x82\x84\x85\x89"));
    EXPECT_EQ(controlBytes(PrinterKind::Ordinary, {C::Reset, C::EmphasisOn}), "");
}

} // namespace
