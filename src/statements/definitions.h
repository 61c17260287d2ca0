#pragma once
// Report and statement definitions as a whole: a defined listing report (`Rapor` with its
// `DRapor` columns) and a statement (`Tablo` with its `DTablo` lines), read from a data folder,
// written to and read from a JSON file, and imported into another company with the checks the
// editors make.
//
// The file holds every field of every record under its field name; the link fields of the
// columns and lines (DRP:RAPKOD, DRP:RAPNO, BDRP:RAPNO) are not written: they come from the
// definition the record belongs to.
//
//   {"hesapkar": "definitions", "version": 1,
//    "Rapor": [{"RAPKOD": "1", "RAPNO": 5, ..., "DRapor": [{"SIRANO": 1, ...}, ...]}, ...],
//    "Tablo": [{"RAPNO": 1, ..., "DTablo": [{"SIRANO": 1, "AKTIFPASIF": "A", ...}, ...]}, ...]}

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace hk::statements {

struct ReportDefinition {
    data::Rapor header;
    std::vector<data::DRapor> columns; // in DRP:SIRANO order
};

struct StatementDefinition {
    data::Tablo header;
    std::vector<data::DTablo> lines; // in key order (number, side)
};

struct Definitions {
    std::vector<ReportDefinition> reports;
    std::vector<StatementDefinition> statements;
};

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxDefinitionFile = 16u << 20;

// The duplicate-number messages of the editors, exactly as the program shows them.
inline constexpr const char* kReportNumberUsed = "Aynı Rapor Kodu Zaten Kullanılmaktadır.!";
inline constexpr const char* kStatementNumberUsed = "Aynı Rapor Kodu Zaten Kullanılmaktadır!.";
inline constexpr const char* kReportTypeBlank = "Rapor Tipi Boş Geçilemez.";
inline constexpr const char* kWarningCaption = "Uyarı Ekranı";

// Every definition of the data folder.
core::Result<Definitions> readDefinitions(data::DataSet& ds);

std::string toJson(const Definitions& defs);
// Reads a definition file; refuses malformed JSON, unknown fields and values that do not fit
// their fields (texts outside cp1254 or too wide, numbers out of range) with an error naming the
// definition and the field.
core::Result<Definitions> fromJson(std::string_view text);

// The editors' checks on a set of definitions before it is written: report kinds "1"/"2",
// numbers above 0, column kinds S/D/F, statement types B/G (blank: kReportTypeBlank), sides A/P
// (income statements: A only), line kinds D/F or blank, margins 0..3 (a larger margin is set to
// 3, as the line editor does), no column or line number twice in one definition, no definition
// number twice. The first refusal is returned; `shownMessage` receives the program's message
// text when the refusal is one the editors show as a box (duplicates, blank type).
core::Status checkDefinitions(Definitions& defs, std::string* shownMessage = nullptr);

// Imports the definitions into ds: checks them, refuses a definition whose number is already used
// in ds (the duplicate message, caption kWarningCaption, shown through ui), and writes everything
// in one unit of work, so a refused import writes nothing.
core::Status importDefinitions(data::DataSet& ds, app::Ui& ui, Definitions defs);

} // namespace hk::statements
