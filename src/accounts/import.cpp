#include "accounts/import.h"

#include "accounts/chart.h"
#include "accounts/code.h"
#include "accounts/messages.h"
#include "accounts/rates.h"
#include "core/text.h"
#include "output/sheet_reader.h"

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace hk::accounts {

namespace {

using core::Error;
using core::Result;
using core::Status;

constexpr std::uintmax_t kMaxCsvBytes = 64u << 20;
// Refused rows listed in the one message; the rest are counted.
constexpr std::size_t kListedRefusals = 30;
// The progress line follows every added row in a small chart and every 100th in a big one, so a
// chart of tens of thousands of accounts is not held up by its own progress display.
constexpr int kProgressEvery = 100;

struct Row {
    int line = 0;
    data::HsPlan account;
};

std::string keyOf(std::string_view code) { return core::text::sortKey(code, true); }

class Refusals {
  public:
    void add(int line, const std::string& why) {
        ++count_;
        if (listed_.size() < kListedRefusals)
            listed_.push_back("satır " + std::to_string(line) + ": " + why);
    }
    bool empty() const { return count_ == 0; }
    std::string text(const std::string& file) const {
        std::string t = file + " okunamadı; hiçbir hesap eklenmedi:";
        for (const auto& l : listed_) t += "\n" + l;
        if (count_ > listed_.size())
            t += "\n... ve " + std::to_string(count_ - listed_.size()) + " satır daha";
        return t;
    }

  private:
    std::size_t count_ = 0;
    std::vector<std::string> listed_;
};

// Writes the accepted rows in one unit of work.
Result<ImportCounts> write(data::DataSet& data, const std::vector<Row>& rows, int skipped,
                           app::Ui& ui) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    ImportCounts counts;
    counts.skipped = skipped;
    for (const Row& r : rows) {
        if (auto st = plan->add(r.account); !st) {
            // Nothing of the file is kept: the unit of work rolls back.
            core::Error e = st.error();
            e.text += " (satır " + std::to_string(r.line) + ": " + r.account.HESAPKODU + ")";
            return raiseStored(ui, e, 13);
        }
        ++counts.added;
        if (rows.size() <= static_cast<std::size_t>(kProgressEvery) ||
            counts.added % kProgressEvery == 0)
            ui.progress(r.account.HESAPKODU + " " + r.account.HESAPAD1, -1);
    }
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return counts;
}

// Rows of a workbook, checked as the workbook import takes them.
Result<ImportCounts> readWorkbookRows(data::DataSet& data, const output::Workbook& wb,
                                      const std::string& file, app::Ui& ui) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    Refusals refused;
    std::vector<Row> rows;
    std::map<std::string, int> seen; // code key -> line
    int skipped = 0;
    for (std::uint32_t r = 1;; ++r) {
        const std::string code = core::text::clip(wb.cellText(r, 1));
        if (code.empty()) break; // the first row without a code ends the sheet
        const int line = static_cast<int>(r);
        data::HsPlan a;
        a.HESAPKODU = code;
        a.NTLK = core::text::left(core::text::trim(wb.cellText(r, 2)), 1);
        a.HESAPAD1 = core::text::clip(wb.cellText(r, 3));
        if (auto st = checkCodeText(code); !st) {
            refused.add(line, st.error().text);
            continue;
        }
        if (auto st = checkAccountFields(a); !st) {
            // The attribute letter is not compared with K, G and M here: the row stands as it is.
            if (!(core::text::isCp1254(a.NTLK) && core::text::isCp1254(a.HESAPAD1) &&
                  core::text::length(a.HESAPAD1) <= kNameWidth)) {
                refused.add(line, st.error().text);
                continue;
            }
        }
        if (auto it = seen.find(keyOf(code)); it != seen.end()) {
            ++skipped; // a second row of a code already read is skipped like one in the chart
            continue;
        }
        auto found = findAccount(*plan, code);
        if (!found) return raiseStored(ui, found.error(), 1);
        seen.emplace(keyOf(code), line);
        if (*found) {
            ++skipped;
            continue;
        }
        rows.push_back({line, a});
    }
    if (!refused.empty()) return refuse(ui, refused.text(file), "Excel HsPlan Oku");
    return write(data, rows, skipped, ui);
}

// ---- CSV ------------------------------------------------------------------------------------

struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// RFC 4180: fields separated by `sep`, records by CR LF or LF, quoted fields may hold the
// separator, line breaks and doubled quotes.
Result<std::vector<CsvRecord>> parseCsv(const std::string& text, char sep) {
    std::vector<CsvRecord> out;
    CsvRecord rec;
    std::string field;
    int line = 1;
    rec.line = 1;
    bool quoted = false, wasQuoted = false, any = false;
    auto endField = [&] {
        rec.fields.push_back(field);
        field.clear();
        wasQuoted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"') {
            if (!field.empty() || wasQuoted)
                return Error::badInput("satır " + std::to_string(line) +
                                       ": tırnak bir alanın ortasında açılamaz");
            quoted = wasQuoted = any = true;
        } else if (c == sep) {
            endField();
            any = true;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        } else if (c == '\n') {
            if (any || !field.empty()) {
                endField();
                out.push_back(std::move(rec));
            }
            rec = CsvRecord{};
            rec.line = ++line;
            any = false;
        } else {
            if (wasQuoted)
                return Error::badInput("satır " + std::to_string(line) +
                                       ": kapanan tırnaktan sonra ayraç bekleniyordu");
            field += c;
            any = true;
        }
    }
    if (quoted) return Error::badInput("satır " + std::to_string(rec.line) + ": tırnak kapanmamış");
    if (any || !field.empty()) {
        endField();
        out.push_back(std::move(rec));
    }
    return out;
}

Result<std::string> readCsvFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return Error::badInput(file.string() + "\nDosyası Bulunamıyor.!", file.string());
    if (size > kMaxCsvBytes)
        return Error::badInput(file.string() + " hesap planı için fazla büyük (" +
                               std::to_string(size) + " bayt)");
    std::ifstream in(file, std::ios::binary);
    if (!in) return Error::badInput(file.string() + " açılamadı", file.string());
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    if (!core::text::isValidUtf8(text) || text.find('\0') != std::string::npos)
        return Error::badInput(file.string() + " bir UTF-8 CSV dosyası değil");
    return text;
}

} // namespace

std::filesystem::path chartWorkbookPath(const data::Locations& where) {
    const auto xls = where.dataFolder() / "HsPlan.xls";
    const auto xlsx = where.dataFolder() / "HsPlan.xlsx";
    std::error_code ec;
    if (!std::filesystem::exists(xls, ec) && std::filesystem::exists(xlsx, ec)) return xlsx;
    return xls;
}

Result<ImportCounts> importWorkbook(data::DataSet& data, const std::filesystem::path& file,
                                    app::Ui& ui) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return refuse(ui, file.string() + "\nDosyası Bulunamıyor.!", "Excel HsPlan Oku");
    auto wb = output::Workbook::open(file.string());
    if (!wb) return refuseInput(ui, Error::badInput(wb.error().text, file.string()));
    ui.progress(kImportProgress, -1);
    auto counts = readWorkbookRows(data, *wb, file.string(), ui);
    ui.progressDone();
    return counts;
}

Result<ImportCounts> importCsv(data::DataSet& data, const std::filesystem::path& file,
                               app::Ui& ui) {
    auto text = readCsvFile(file);
    if (!text) return refuseInput(ui, text.error());
    const std::string firstLine = text->substr(0, text->find('\n'));
    const char sep = firstLine.find(';') != std::string::npos &&
                             (firstLine.find(',') == std::string::npos ||
                              firstLine.find(';') < firstLine.find(','))
                         ? ';'
                         : ',';
    auto records = parseCsv(*text, sep);
    if (!records) return refuseInput(ui, Error::badInput(file.string() + ": " + records.error().text));
    static const std::vector<std::string> kColumns = {"code", "name", "attr", "name2", "unit",
                                                      "currency"};
    if (records->empty())
        return refuseInput(ui, Error::badInput(file.string() + ": başlık satırı yok"));
    std::vector<std::string> head;
    for (const auto& f : records->front().fields) head.push_back(core::text::lowerTr(core::text::trim(f)));
    if (head.size() < 3 || head.size() > kColumns.size() ||
        !std::equal(head.begin(), head.end(), kColumns.begin()))
        return refuseInput(ui, Error::badInput(
                                   file.string() +
                                   ": başlık satırı code,name,attr[,name2,unit,currency] olmalı"));

    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    auto cur = data.open<data::Doviz>();
    if (!cur) return raiseStored(ui, cur.error(), 23);
    Refusals refused;
    std::vector<Row> rows;
    std::map<std::string, std::pair<int, std::string>> added; // key -> line, attribute
    int skipped = 0;
    for (std::size_t i = 1; i < records->size(); ++i) {
        const CsvRecord& rec = (*records)[i];
        if (rec.fields.size() != head.size()) {
            refused.add(rec.line, std::to_string(head.size()) + " alan bekleniyordu, " +
                                      std::to_string(rec.fields.size()) + " alan var");
            continue;
        }
        data::HsPlan a;
        a.HESAPKODU = rec.fields[0];
        a.HESAPAD1 = core::text::clip(rec.fields[1]);
        a.NTLK = core::text::upperTr(core::text::trim(rec.fields[2]));
        if (head.size() > 3) a.HESAPAD2 = core::text::clip(rec.fields[3]);
        if (head.size() > 4) a.ALTBIRIM = core::text::clip(rec.fields[4]);
        if (head.size() > 5) a.DOVIZKODU = core::text::trim(rec.fields[5]);
        if (auto st = checkCodeText(a.HESAPKODU); !st) {
            refused.add(rec.line, st.error().text);
            continue;
        }
        if (auto st = checkAccountFields(a); !st) {
            refused.add(rec.line, st.error().text);
            continue;
        }
        const std::string key = keyOf(a.HESAPKODU);
        if (auto it = added.find(key); it != added.end()) {
            refused.add(rec.line, a.HESAPKODU + " kodu " + std::to_string(it->second.first) +
                                      ". satırda da var");
            continue;
        }
        auto found = findAccount(*plan, a.HESAPKODU);
        if (!found) return raiseStored(ui, found.error(), 1);
        if (*found) {
            ++skipped;
            continue;
        }
        const std::string parent = parentCode(a.HESAPKODU);
        if (parent.empty()) {
            a.NTLK = "K";
        } else {
            std::string parentAttr;
            if (auto it = added.find(keyOf(parent)); it != added.end()) {
                parentAttr = it->second.second;
            } else {
                auto p = findAccount(*plan, parent);
                if (!p) return raiseStored(ui, p.error(), 1);
                if (!*p) {
                    refused.add(rec.line, "Öncelikle " + parent + " Hesap Kodu Tanımlanmalıdır.");
                    continue;
                }
                parentAttr = core::text::clip((*p)->NTLK);
            }
            if (parentAttr == "M") {
                refused.add(rec.line, "Muavin Hesap Kodu Zaten Tanımlanmıştır (" + parent + ")");
                continue;
            }
            if ((parentAttr == "K" || parentAttr == "G") && a.NTLK == "K") {
                refused.add(rec.line, "Kebir ya da Grup hesabın alt hesabı Kebir olamaz.");
                continue;
            }
        }
        if (!a.DOVIZKODU.empty()) {
            auto c = findCurrency(*cur, a.DOVIZKODU);
            if (!c) return raiseStored(ui, c.error(), 1);
            if (!*c) {
                refused.add(rec.line, a.DOVIZKODU + " Döviz Kodu Tanımlı Değil.");
                continue;
            }
        }
        added.emplace(key, std::make_pair(rec.line, a.NTLK));
        rows.push_back({rec.line, masterOnly(a)});
    }
    if (!refused.empty()) return refuse(ui, refused.text(file.string()), "Hesap Planı Aktarımı");
    ui.progress(kImportProgress, -1);
    auto counts = write(data, rows, skipped, ui);
    ui.progressDone();
    return counts;
}

Result<ImportCounts> runExcelHsPlanOku(data::DataSet& data, app::Ui& ui) {
    return importWorkbook(data, chartWorkbookPath(data.locations()), ui);
}

} // namespace hk::accounts
