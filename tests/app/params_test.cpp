#include "app/procedure.h"

#include <gtest/gtest.h>

namespace hk::app {
namespace {

ProcedureSpec declared() {
    ProcedureSpec s;
    s.command = {"report", "x"};
    s.usage = "DIR";
    s.params = {param::month("month", "ay"),
                param::monthRange("months", "aylar"),
                param::monthList("list", "ay listesi"),
                param::date("date", "tarih"),
                param::dateRange("dates", "tarihler"),
                param::yesNo("empty", "boş satırlar", "E"),
                param::account("from", "ilk hesap"),
                param::integer("copies", "kopya", 1, 9, "1"),
                param::number("divisor", "bölen", 0, 1000000),
                param::text("description", "açıklama", 5),
                param::letter("measure", "ölçü", "T|D|A", "T"),
                param::flag("certified", "onaylı")};
    s.run = [](ProcedureContext&, const Options&) { return core::Status{}; };
    return s;
}

core::Result<Options> parse(std::vector<std::string> words, const ProcedureSpec& s = declared()) {
    return parseCommandLine(words, s);
}

struct Bad {
    std::vector<std::string> words;
    std::string message;
};

TEST(TypedParameters, EachKindRefusesAWrongValueNamingTheFlag) {
    const std::vector<Bad> cases = {
        {{"--month", "13"}, "--month 1 ile 12 arasında bir ay olmalı: \"13\""},
        {{"--month", "x"}, "--month 1 ile 12 arasında bir ay olmalı: \"x\""},
        {{"--months", "0-3"}, "--months 1 ile 12 arasında A-B olmalı: \"0-3\""},
        {{"--months", "5-3"}, "--months boş bir aralık: \"5-3\""},
        {{"--list", "3,3"}, "--list 1 ile 12 arasında aylar olmalı"},
        {{"--list", "1-13"}, "--list 1 ile 12 arasında aylar olmalı"},
        {{"--date", "31.02.2024"}, "--date gg.aa.yyyy biçiminde bir tarih olmalı: \"31.02.2024\""},
        {{"--dates", "02.01.2024-01.01.2024"}, "--dates boş bir aralık"},
        {{"--empty", "X"}, "--empty E ya da H olmalı: \"X\""},
        {{"--from", "1234567890123456789"}, "Hesap kodu en çok 18 karakter olmalı"},
        {{"--copies", "0"}, "--copies 1 ile 9 arasında olmalı: 0"},
        {{"--copies", "2a"}, "--copies bir tam sayı olmalı: \"2a\""},
        {{"--divisor", "1.2.3"}, "--divisor bir sayı olmalı"},
        {{"--description", "abcdef"}, "--description en çok 5 karakter olmalı"},
        {{"--description", "日本"}, "--description Türkçe kod sayfasında olmayan"},
        {{"--measure", "X"}, "--measure T, D ya da A olmalı: \"X\""},
        {{"--certified=1"}, "--certified değer almaz"},
        {{"--unknown", "1"}, "bilinmeyen seçenek: --unknown"},
        {{"--month"}, "--month için değer eksik"},
    };
    for (const auto& c : cases) {
        auto o = parse(c.words);
        ASSERT_FALSE(o) << c.words.front();
        EXPECT_NE(o.error().text.find(c.message), std::string::npos)
            << c.words.front() << ": " << o.error().text;
    }
}

TEST(TypedParameters, CheckedValuesReadTypedWithDeclaredDefaults) {
    auto o = parse({"--month=3", "--months", "2-4", "--list", "7,1-2", "--date", "05.03.2024",
                    "--dates", "01.01.2024-31.01.2024", "--divisor", "12,5", "--measure", "d",
                    "--certified", "POS"});
    ASSERT_TRUE(o) << o.error().text;
    EXPECT_EQ(o->month("month"), 3);
    EXPECT_EQ(o->monthRange("months"), std::make_pair(2, 4));
    EXPECT_EQ(o->monthList("list"), (std::vector<int>{1, 2, 7}));
    EXPECT_EQ(o->date("date").dayNumber(), core::Date::make(3, 5, 2024).dayNumber());
    EXPECT_EQ(o->dateRange("dates").second.dayNumber(), core::Date::make(1, 31, 2024).dayNumber());
    EXPECT_DOUBLE_EQ(o->decimal("divisor"), 12.5);
    EXPECT_EQ(o->word("measure"), "D");
    EXPECT_TRUE(o->flag("certified"));
    EXPECT_EQ(o->positional, std::vector<std::string>{"POS"});
    // Not given: the declared default.
    EXPECT_TRUE(o->yesNo("empty"));
    EXPECT_EQ(o->number("copies"), 1);
    EXPECT_FALSE(o->has("copies"));
    EXPECT_EQ(monthRangeOf("5"), std::make_pair(5, 5));
}

TEST(TypedParameters, ARequiredParameterMustBeGiven) {
    ProcedureSpec s = declared();
    s.params.push_back(param::integer("number", "numara", 1, 32767).requiredParam());
    auto o = parse({"--month", "1"}, s);
    ASSERT_FALSE(o);
    EXPECT_EQ(o.error().text.rfind("--number gerekli", 0), 0u) << o.error().text;
    EXPECT_TRUE(parse({"--number", "7"}, s));
}

TEST(ReportDestinations, ExactlyOneOfTheOfferedIsGivenAndKindGoesWithRaw) {
    ProcedureSpec s = declared();
    s.outputs = kPrintOutputs;
    const std::vector<Bad> cases = {
        {{}, "--pdf, --txt, --raw ve --queue seçeneklerinden tam biri gerekli"},
        {{"--pdf", "a.pdf", "--txt", "-"}, "seçeneklerinden tam biri gerekli"},
        {{"--raw", "a.prn"}, "--raw için --kind NPQ ya da LPQ gerekli"},
        {{"--txt", "-", "--kind", "NPQ"}, "--kind yalnız --raw ya da --queue ile verilir"},
        {{"--raw", "a.prn", "--kind", "XYZ"}, "--kind NPQ ya da LPQ olmalı"},
        {{"--xlsx", "a.xlsx"}, "bilinmeyen seçenek: --xlsx"},
        {{"--pdf", "x.pdf", "--encoding", "utf8"}, "--encoding yalnız --txt ile verilir"},
    };
    for (const auto& c : cases) {
        auto o = parse(c.words, s);
        ASSERT_FALSE(o) << (c.words.empty() ? "" : c.words.front());
        EXPECT_NE(o.error().text.find(c.message), std::string::npos) << o.error().text;
    }
    auto raw = parse({"--raw", "a.prn", "--kind", "lpq"}, s);
    ASSERT_TRUE(raw) << raw.error().text;
    EXPECT_EQ(raw->output().destination, Destination::Raw);
    EXPECT_EQ(raw->output().kind, output::PrinterKind::Lpq);
    auto stdoutText = parse({"--txt", "-"}, s);
    ASSERT_TRUE(stdoutText);
    EXPECT_TRUE(stdoutText->output().toStdout());
    EXPECT_EQ(stdoutText->output().encoding, output::TextEncoding::Utf8);
    auto file = parse({"--txt", "out.txt"}, s);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->output().encoding, output::TextEncoding::Cp1254);
    auto chosen = parse({"--txt", "-", "--encoding", "cp1254"}, s);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->output().encoding, output::TextEncoding::Cp1254);
    auto queue = parse({"--queue", "Kasa"}, s);
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue->output().queue, "Kasa");
    EXPECT_EQ(queue->output().kind, output::PrinterKind::Npq);
}

TEST(TypedParameters, HelpListsEveryParameterWithKindAndDefault) {
    ProcedureSpec s = declared();
    s.outputs = Pdf | Txt;
    const std::string h = helpText("report x", s);
    EXPECT_NE(h.find("kullanım: hesapkar-cli report x DIR"), std::string::npos);
    EXPECT_NE(h.find("--months A-B"), std::string::npos);
    EXPECT_NE(h.find("--empty E|H"), std::string::npos);
    EXPECT_NE(h.find("(varsayılan: E)"), std::string::npos);
    EXPECT_NE(h.find("--measure T|D|A"), std::string::npos);
    EXPECT_NE(h.find("--pdf DOSYA"), std::string::npos);
    EXPECT_NE(h.find("--encoding cp1254|utf8"), std::string::npos);
}

TEST(TypedParameters, AWordChoiceMatchesWithoutRegardToCaseAndReadsAsDeclared) {
    ProcedureSpec s = declared();
    s.params.push_back(param::letter("form", "beyanname", "withholding|vat"));
    auto o = parse({"--form", "VAT"}, s);
    ASSERT_TRUE(o) << o.error().text;
    EXPECT_EQ(o->word("form"), "vat");
    // Shown as declared: no Turkish dotted capital in an English word.
    EXPECT_NE(helpText("x", s).find("--form withholding|vat"), std::string::npos);
    auto bad = parse({"--form", "kdv"}, s);
    ASSERT_FALSE(bad);
    EXPECT_NE(bad.error().text.find("--form withholding ya da vat olmalı"), std::string::npos);
}

} // namespace
} // namespace hk::app
