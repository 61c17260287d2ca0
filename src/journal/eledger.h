#pragma once
// The e-ledger exports of one fiscal month: YevmiyeRaporuXML (one Header element per voucher
// with a Detail element per line) and YevmiyeRaporuCSV (a header line and one line per voucher
// line, packed into a zip archive). Both take part in journal numbering like the printed
// journal.
//
// Invariants:
//   - the files are written in UTF-8 in process: every text comes from records, which hold
//     only characters of the Turkish Windows code page, so the result is byte for byte what
//     converting the code-page file would give;
//   - a file appears under its name only when it is complete; a failure leaves no file;
//   - a certified export stores its numbers and the journal state in one transaction, and only
//     once its file is complete, so no voucher is ever journalised without being in a file;
//   - vouchers that already carry a number are written with it and change nothing; only
//     unnumbered vouchers are numbered, and only their lines go into the carried totals;
//   - the file names carry the year and month exported, so each month has its own file.

#include "app/ui.h"
#include "core/result.h"
#include "journal/run.h"

#include <filesystem>
#include <string>

namespace hk::data {
class DataSet;
}

namespace hk::journal {

struct ExportOptions {
    RunOptions run;
    std::string recorder;      // EdefterKayitEden
    int branch = 0;            // SubeKodu
    bool fillDefaults = false; // " Edefter Sahaları Boş İse Fiş Başlık Bilgilerinden Oluştur."
    std::filesystem::path folder; // where the files go: the data folder unless told otherwise
};

struct ExportResult {
    std::filesystem::path file; // the XML file or the zip archive written
    int vouchers = 0;           // vouchers written
    int numbered = 0;           // of them numbered by this run
    JournalState state;         // the journal state after the run (stored only when certified)
};

// "Yevmiye-yyyymm.Xml" of the month exported, in `folder`.
std::filesystem::path xmlFileName(const std::filesystem::path& folder, const data::Yasal& y,
                                  int month);
// "<tax number>_<branch, 4 digits>_yyyymm_1" + extension ("Csv", "zip") of the month exported.
std::filesystem::path csvFileName(const std::filesystem::path& folder, const data::Yasal& y,
                                  int branch, int month, const std::string& extension);

// XML sanitising: trailing blanks removed, at most 500 characters, "&", "<" and ">" as blanks.
std::string sanitise(const std::string& s);
// A CSV field: trailing blanks removed, a ";" (which would start a new field) written as ",".
std::string csvField(const std::string& s);

core::Result<ExportResult> YevmiyeRaporuXML(data::DataSet& ds, app::Ui& ui, const ExportOptions& o);
core::Result<ExportResult> YevmiyeRaporuCSV(data::DataSet& ds, app::Ui& ui, const ExportOptions& o);

} // namespace hk::journal
