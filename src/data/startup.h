#pragma once
// Start-up data preparation: what a data folder must hold before the user can work, created when
// missing (field catalogue, version record, default chart and frame-class list from the text files
// beside the program, the company record, voucher kinds, document types, menu catalogue), and the
// checks of the company record.
//
// Nothing here talks to the user: the messages to show come back as Notices, in the order the
// user is to see them; the application layer shows them through its Ui. A missing or unreadable
// text file is a notice, and preparation goes on. Each step writes in one unit of work.

#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <filesystem>
#include <string>
#include <vector>

namespace hk::data::startup {

// Names of the text files read from the program's folder.
inline constexpr const char* kChartText = "Hsplan.txt";
inline constexpr const char* kFrameText = "CsPlan.txt";
inline constexpr const char* kImportText = "Plan00.txt";
inline constexpr std::size_t kImportRecordLength = 1649;

struct Notice {
    std::string text;    // lines separated by "\n"
    std::string caption; // empty: the program's default caption
};

struct Options {
    std::filesystem::path textFolder; // where Hsplan.txt, CsPlan.txt and Plan00.txt are read
    bool aktar = false;               // "/AKTAR" on the command line
    core::Date today;                 // the default company record is for today's year
};

struct Report {
    std::vector<Notice> notices;
    // One line per thing created or repaired ("HsPlan: 282 hesap Hsplan.txt dosyasından"), for
    // the command-line program.
    std::vector<std::string> created;
    Yasal company;               // the company record in use (the first in physical order)
    bool companyCreated = false; // the default record was added: the working month becomes 1
};

core::Result<Report> prepare(DataSet& ds, const Options& o);

// The single steps, for tests and for callers that need one of them.
core::Result<int> buildFieldCatalogue(Database& db); // rows written, 0 when present
core::Result<int> loadChartText(Database& db, const std::filesystem::path& file,
                                std::vector<Notice>& notices); // accounts added
core::Result<int> loadFrameText(Database& db, const std::filesystem::path& file,
                                std::vector<Notice>& notices);
core::Result<int> importPlan00(Database& db, const std::filesystem::path& file,
                               std::vector<Notice>& notices);

// The 43 rows of the menu catalogue created on an empty file, and the voucher kinds and document
// types created on empty files.
struct MenuRow {
    int number;
    std::string name;
};
const std::vector<MenuRow>& defaultMenuCatalogue();
const std::vector<Nitelik>& defaultVoucherKinds(); // without "IPT", which is added separately
const Nitelik& cancelledVoucherKind();             // "IPT" "İptal Fişi"
const std::vector<BelgeTip>& defaultDocumentTypes();

} // namespace hk::data::startup
