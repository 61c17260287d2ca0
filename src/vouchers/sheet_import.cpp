#include "vouchers/sheet_import.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "output/sheet_reader.h"
#include "vouchers/numbering.h"
#include "vouchers/worklines.h"

#include <cmath>
#include <filesystem>
#include <optional>

namespace hk::vouchers {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

const std::vector<std::string>& sheetDocumentTypes() {
    static const std::vector<std::string> kinds = {
        "Fatura", "Müşteri siparişi", "Satıcı siparişi", "Senet", "Makbuz", "Navlun", "Diğer"};
    return kinds;
}

namespace {

// The date written as day.month.year at fixed character places; separators are not read.
std::optional<core::Date> rowDate(const std::string& s) {
    auto digits = [&](std::size_t start, std::size_t n) -> std::optional<int> {
        const std::string part = text::sub(s, start, n);
        if (part.size() != n || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        return std::stoi(part);
    };
    const auto d = digits(1, 2), m = digits(4, 2), y = digits(7, 4);
    if (!d || !m || !y) return std::nullopt;
    core::Date date{static_cast<std::uint8_t>(*d), static_cast<std::uint8_t>(*m),
                    static_cast<std::uint16_t>(*y)};
    if (!date.isValid()) return std::nullopt;
    return date;
}

// An amount as a cell shows it: the readers give numbers with a "." decimal point; a text cell
// may hold the Turkish form ("1.234,56"). Blank is 0.
std::optional<double> amountOf(const std::string& cell) {
    std::string s = text::trim(cell);
    if (s.empty()) return 0.0;
    if (s.find(',') != std::string::npos) {
        std::string t;
        for (char c : s)
            if (c != '.') t += c == ',' ? '.' : c;
        s = t;
    }
    std::size_t i = 0;
    if (s[0] == '-' || s[0] == '+') i = 1;
    bool digit = false, point = false;
    for (std::size_t k = i; k < s.size(); ++k) {
        if (s[k] >= '0' && s[k] <= '9')
            digit = true;
        else if (s[k] == '.' && !point)
            point = true;
        else if ((s[k] == 'e' || s[k] == 'E') && digit) {
            // The readers write very large or small numbers with an exponent.
            const std::string rest = s.substr(k + 1);
            if (rest.empty() || rest.find_first_not_of("+-0123456789") != std::string::npos)
                return std::nullopt;
            break;
        } else
            return std::nullopt;
    }
    if (!digit) return std::nullopt;
    const double v = std::strtod(s.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

struct Group {
    std::string key;
    core::Date date;
    Lines lines;
    double debit = 0, credit = 0;
    std::string refusal; // the first reason the group cannot be stored
    void refuse(const std::string& why) {
        if (refusal.empty()) refusal = why;
    }
};

class Importer {
  public:
    Importer(Env& env, Books& b, const data::Yasal& y, const SheetImportChoices& c,
             std::string attribute)
        : env_(env), b_(b), y_(y), c_(c), attribute_(std::move(attribute)) {}

    Result<SheetImportResult> run(const output::Workbook& wb) {
        std::optional<Group> g;
        for (std::uint32_t r = 2;; ++r) {
            const std::string key = text::clip(text::left(wb.cellText(r, 2), 20));
            if (g && g->key != key) {
                if (auto st = store(*g); !st) return st.error();
                g.reset();
            }
            if (key.empty()) break;
            if (!g) {
                g.emplace();
                g->key = key;
            }
            const std::string dateText = wb.cellText(r, 1);
            const auto date = rowDate(dateText);
            if (date && y_.SONYEVMIYETARIH.isSet() && *date < y_.SONYEVMIYETARIH) {
                env_.ui.message(msg::kBeforeJournal, msg::kWarningCaption, app::Icon::Warning,
                                "&Tamam", 1);
                result_.stoppedAtJournalDate = true;
                break;
            }
            if (!date || fiscalMonthOfDate(y_, *date) == 0)
                g->refuse("Satır " + std::to_string(r) + ": Tarih Geçersiz (\"" + dateText + "\")");
            else
                g->date = *date;
            row(wb, r, *g);
        }
        env_.ui.progressDone();
        return result_;
    }

  private:
    void row(const output::Workbook& wb, std::uint32_t r, Group& g) {
        const std::string description =
            text::left(text::clip(wb.cellText(r, 4)) + " " + text::clip(wb.cellText(r, 5)) +
                           " " + text::clip(wb.cellText(r, 6)),
                       50);
        if (!text::isCp1254(description) || !text::isCp1254(g.key))
            g.refuse("Satır " + std::to_string(r) +
                     ": Türkçe kod sayfasında olmayan karakter var");
        for (int pair = 0; pair < 3; ++pair) {
            const std::uint32_t column = 7 + 2 * pair;
            const std::string code = text::clip(text::left(text::trim(wb.cellText(r, column)), 18));
            if (code.empty()) continue;
            const std::string cell = wb.cellText(r, column + 1);
            const auto read = amountOf(cell);
            if (!read) {
                g.refuse("Satır " + std::to_string(r) + ": Tutar Geçersiz (\"" + cell + "\")");
                continue;
            }
            if (*read < 0) {
                // A negative amount would be left out of the lines but counted in the totals;
                // the group is refused instead of guessing what was meant.
                g.refuse("Satır " + std::to_string(r) + ": Eksi Tutar (" + cell + ")");
                continue;
            }
            // The totals take the rounded amounts the lines store, so a voucher that passes
            // the balance check is balanced as stored.
            const double amount = core::numeric::round(*read, 2);
            const bool debit = pair < 2;
            (debit ? g.debit : g.credit) += amount;
            if (amount <= 0) continue;
            auto acc = account(code);
            if (!acc || text::clip(acc->NTLK) != "M") {
                g.refuse(code + " Hesap Kodu Hesap Planında Muavin Hesap Olarak Yok");
                continue;
            }
            data::FisDet l;
            l.HESAPKODU = code;
            l.FISACK = description;
            l.TLBORC = debit ? amount : 0;
            l.TLALACAK = debit ? 0 : amount;
            l.BORCALACAK = debit ? "B" : "A";
            l.HESAPADI1 = acc->HESAPAD1;
            l.HESAPADI2 = acc->HESAPAD2;
            l.KEYSTR = "1";
            l.FISSIRANO = static_cast<std::int16_t>(g.lines.size() + 1);
            l.ACKNO = l.FISSIRANO * 100;
            g.lines.push_back(std::move(l));
        }
    }

    std::optional<data::HsPlan> account(const std::string& code) {
        auto a = b_.account(code);
        if (!a) return std::nullopt;
        return *a;
    }

    void refuse(const std::string& text) {
        env_.ui.message(text, msg::kConfirmCaption, app::Icon::Warning, "Tamam", 1);
        ++result_.refused;
    }

    Status store(Group& g) {
        if (!g.refusal.empty()) {
            refuse(g.key + " No lu Fiş: " + g.refusal + "..." + sheetmsg::kNotSaved);
            return {};
        }
        if (!core::numeric::realEqual(g.debit, g.credit)) {
            refuse(g.key + sheetmsg::kUnbalanced);
            return {};
        }
        Draft d = newDraft(env_.session);
        d.header.FISTUR = "M";
        d.header.FISNTLK = attribute_;
        d.header.FISTRH = g.date;
        d.fiscalMonth = fiscalMonthOfDate(y_, g.date);
        // Every line of a voucher carries one document; its date is the voucher's.
        d.document = {c_.documentType, g.key, text::left(c_.documentDescription, 30),
                      text::left(c_.paymentType, 20), g.date};
        d.lines = std::move(g.lines);
        auto key = save(env_, d, {});
        if (!key) {
            Error e = key.error();
            e.text += "\n" + std::to_string(result_.saved) + " fiş kaydedildi; " + g.key +
                      " No lu fişte durdu.";
            return e;
        }
        ++result_.saved;
        result_.keys.push_back(*key);
        return {};
    }

    Env& env_;
    Books& b_;
    const data::Yasal& y_;
    const SheetImportChoices& c_;
    std::string attribute_;
    SheetImportResult result_;
};

Error shown(app::Ui& ui, const std::string& text) {
    ui.message(text, msg::kWarningCaption, app::Icon::Warning, "&Tamam", 1);
    return Error::refused(text, true);
}

} // namespace

Result<SheetImportResult> HkrFiSOku(Env& env, const SheetImportChoices& c) {
    // The choices first: nothing is read while one of them is wrong.
    std::error_code ec;
    if (text::trim(c.file).empty() || !std::filesystem::is_regular_file(c.file, ec))
        return shown(env.ui, c.file + sheetmsg::kFileMissing);
    for (const std::string* s : {&c.attribute, &c.documentType, &c.documentDescription,
                                 &c.paymentType})
        if (!text::isCp1254(*s))
            return Error::badInput("Fiş nitelik, belge tipi, belge açıklama ve ödeme tipi yalnız "
                                   "Türkçe Windows kod sayfasındaki harfleri içerebilir.");
    const std::string type = text::clip(c.documentType);
    if (!type.empty()) {
        const auto& kinds = sheetDocumentTypes();
        if (std::find(kinds.begin(), kinds.end(), type) == kinds.end())
            return Error::badInput("Belge tipi şunlardan biri olmalı: Fatura, Müşteri siparişi, "
                                   "Satıcı siparişi, Senet, Makbuz, Navlun, Diğer (\"" +
                                   c.documentType + "\")");
    }
    if (type == "Diğer" && text::clip(c.documentDescription).empty())
        return shown(env.ui, msg::kDigerNeedsText);
    if (text::length(c.documentDescription) > 50 || text::length(c.paymentType) > 20)
        return Error::badInput("Belge açıklama en çok 50, ödeme tipi en çok 20 karakter olabilir.");
    std::string attribute = text::upperTr(text::trim(c.attribute));
    if (attribute.empty()) attribute = "N";
    if (text::length(attribute) > 3)
        return Error::badInput("Fiş nitelik en çok 3 karakter olabilir: \"" + c.attribute + "\"");
    if (attribute != "N") {
        auto kinds = env.data.open<data::Nitelik>();
        if (!kinds) return kinds.error();
        data::Nitelik k;
        k.FISNTLK = attribute;
        if (!kinds->get("MFN:KeyNtlk", k))
            return Error::badInput("Fiş nitelik \"" + attribute + "\" fiş nitelikleri arasında yok.");
    }

    auto wb = output::Workbook::open(c.file);
    if (!wb) return wb.error();
    auto books = Books::open(env.data);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();
    Importer im(env, *books, *company, c, attribute);
    return im.run(*wb);
}

} // namespace hk::vouchers
