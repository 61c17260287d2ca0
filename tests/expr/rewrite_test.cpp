#include "expr/expression.h"
#include "expr/rewrite.h"

#include <gtest/gtest.h>

#include <map>

using namespace hk::expr;

namespace {

TEST(StatementTokens, FirstOccurrenceOfEachTokenBecomesItsVariable) {
    struct Row {
        const char* in;
        StatementField field;
        const char* out;
    };
    const Row rows[] = {
        {"HSP:TLBorc[Bk]-HSP:TLAlacak[Bk]", StatementField::Saha, "BKTL-BKTL"},
        {"hsp:tlborc[bk]", StatementField::Saha, "BKTL"},
        {"HSP:TLBorc[Km]", StatementField::Saha, "KMTLBORC"},
        {"HSP:TlBorc[Bk]", StatementField::Saha, "BKTL"},
        {"HSP:AltBirimAlacak[Bk]+HSP:DovizBorc[Bk]", StatementField::Saha, "BKALTBIRIM+BKDOVIZ"},
        {"HSP:TLBorc[Cr]-HSP:TLAlacak[Cr]", StatementField::Saha, "CRTLBORC-CRTLALACAK"},
        {"HSP:AltBirimBorc[Cr]+HSP:AltBirimAlacak[Cr]+HSP:DovizBorc[Cr]+HSP:DovizAlacak[Cr]",
         StatementField::Saha, "CRALTBIRIMBORC+CRALTBIRIMALACAK+CRDOVIZBORC+CRDOVIZALACAK"},
        {"HSP:TLAlacak[Km]+HSP:AltBirimBorc[Km]+HSP:AltBirimAlacak[Km]+HSP:DovizBorc[Km]+HSP:DovizAlacak[Km]",
         StatementField::Saha, "KMTLALACAK+KMALTBIRIMBORC+KMALTBIRIMALACAK+KMDOVIZBORC+KMDOVIZALACAK"},
        // A repeated token stays as written the second time.
        {"HSP:TLBorc[Km]+HSP:TLBorc[Km]", StatementField::Saha, "KMTLBORC+HSP:TLBorc[Km]"},
        // The "Ac" tokens belong to the previous-period field only, and the others to the current.
        {"HSP:AcTLBorc[Bk]", StatementField::Saha, "HSP:AcTLBorc[Bk]"},
        {"HSP:TLBorc[Bk]", StatementField::OSaha, "HSP:TLBorc[Bk]"},
        {"HSP:AcTlBorc[Bk]", StatementField::OSaha, "OBKTL"},
        {"HSP:AcTLAlacak[Bk]+HSP:AcAltBirimBorc[Bk]+HSP:AcDovizAlacak[Bk]", StatementField::OSaha,
         "OBKTL+OBKALTBIRIM+OBKDOVIZ"},
        {"hsp:actlborc[cr]-HSP:AcTLAlacak[Cr]+HSP:AcAltBirimBorc[Cr]+HSP:AcAltBirimAlacak[Cr]+HSP:AcDovizBorc[Cr]+HSP:AcDovizAlacak[Cr]",
         StatementField::OSaha,
         "OCRTLBORC-OCRTLALACAK+OCRALTBIRIMBORC+OCRALTBIRIMALACAK+OCRDOVIZBORC+OCRDOVIZALACAK"},
        {"HSP:AcTLBorc[Km]-HSP:AcTLAlacak[Km]+HSP:AcAltBirimBorc[Km]+HSP:AcAltBirimAlacak[Km]+HSP:AcDovizBorc[Km]+HSP:AcDovizAlacak[Km]",
         StatementField::OSaha,
         "OKMTLBORC-OKMTLALACAK+OKMALTBIRIMBORC+OKMALTBIRIMALACAK+OKMDOVIZBORC+OKMDOVIZALACAK"},
    };
    for (const Row& r : rows) EXPECT_EQ(rewriteStatementTokens(r.in, r.field), r.out) << r.in;
    EXPECT_EQ(statementTokens(StatementField::Saha).size(), 18u);
    EXPECT_EQ(statementTokens(StatementField::OSaha).size(), 18u);
}

TEST(StatementTokens, RewrittenBalanceLineEvaluatesAndRepeatedTokenFails) {
    Number bktl = Number::fromInt(250);
    Number km = Number::fromInt(40);
    Bindings b;
    b.bind("BKTL", &bktl);
    b.bind("KMTLBORC", &km);
    EXPECT_EQ(IfadeHesapla(rewriteStatementTokens("HSP:TLBorc[Bk]-HSP:TLAlacak[Bk]", StatementField::Saha), b), "0");
    EXPECT_EQ(IfadeHesapla(rewriteStatementTokens("HSP:TLBorc[Km]*2", StatementField::Saha), b), "80");
    EXPECT_EQ(IfadeHesapla(rewriteStatementTokens("HSP:TLBorc[Km]+HSP:TLBorc[Km]", StatementField::Saha), b), "");
}

TEST(LineReferences, DollarAndThreeDigitsNameALineOfTheSameSide) {
    const std::map<int, std::string> lines = {{1, "100.5"}, {2, "20"}, {3, "-5"}};
    const ReferenceLookup lookup = [&](int n) -> std::optional<std::string> {
        auto it = lines.find(n);
        return it == lines.end() ? std::nullopt : std::optional(it->second);
    };
    struct Row {
        const char* in;
        const char* rewritten;
        const char* value;
    };
    const Row rows[] = {
        {"$001+$002", "100.5+20", "120.5"},
        {"$001+$099", "100.5+0", "100.5"},
        {"$001-$003", "100.5-(-5)", "105.5"},
        {"$003^2", "(-5)^2", "25"},
        {"$01+1", "$01+1", ""},        // not three digits: copied, then fails
        {"($002)*2$", "(20)*2$", ""},  // a trailing "$" is copied
    };
    Bindings none;
    for (const Row& r : rows) {
        const std::string s = rewriteLineReferences(r.in, lookup);
        EXPECT_EQ(s, r.rewritten) << r.in;
        EXPECT_EQ(IfadeHesapla(s, none), r.value) << r.in;
    }
}

TEST(ColumnReferences, DollarAndTwoDigitsNameAColumn) {
    const ReferenceLookup lookup = [](int n) -> std::optional<std::string> {
        if (n == 3) return "1500.25";
        if (n == 4) return "500";
        return std::nullopt;
    };
    EXPECT_EQ(rewriteColumnReferences("$03-$04", lookup), "1500.25-500");
    EXPECT_EQ(rewriteColumnReferences("$03+$99", lookup), "1500.25+0");
    EXPECT_EQ(rewriteColumnReferences("$034", lookup), "1500.254");
    EXPECT_EQ(rewriteColumnReferences("$3", lookup), "$3");
}

TEST(FieldCodes, TrialBalanceCodesBecomeWorkFileFields) {
    const std::pair<const char*, const char*> rows[] = {
        {"Hsp:HesapKodu", "XHSP:HESAPKODU"},
        {"HSP:Ntlk='M'", "XHSP:NTLK='M'"},
        {"Hsp:HesapAd1 & Hsp:HesapAd2", "XHSP:HESAPAD1 & XHSP:HESAPAD2"},
        {"Hsp:TlBorc[Cr]", "XHSP:CRTLBORC"},
        {"Hsp:AltBirimAlacak[Km]", "XHSP:KMALTBIRIMALACAK"},
        {"Hsp:DovizBorc[Bk]-Hsp:DovizAlacak[Bk]", "XHSP:BKDOVIZBORC-XHSP:BKDOVIZALACAK"},
        {"HSP:TLBorc[Bk]+HSP:TLBorc[Bk]", "XHSP:BKTLBORC+HSP:TLBorc[Bk]"},
        {"HSP:ACTLBORC", "HSP:ACTLBORC"},
    };
    for (auto [in, out] : rows) EXPECT_EQ(rewriteTrialBalanceCodes(in), out) << in;
    EXPECT_EQ(trialBalanceCodes().size(), 22u);
}

TEST(FieldCodes, LedgerBalanceCodesBecomeRunningBalanceVariables) {
    EXPECT_EQ(rewriteLedgerBalanceCodes("Mfd:TlBorc[Bk]"), "BKTLBORC");
    EXPECT_EQ(rewriteLedgerBalanceCodes("MFD:AltBirimAlacak[Bk]+MFD:DovizBorc[Bk]"), "BKALTBIRIMALACAK+BKDOVIZBORC");
    EXPECT_EQ(rewriteLedgerBalanceCodes("Mfd:TlBorc"), "Mfd:TlBorc");
    EXPECT_EQ(ledgerBalanceCodes().size(), 6u);
}

} // namespace
