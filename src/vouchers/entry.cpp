#include "vouchers/entry.h"

#include "core/numeric.h"
#include "core/text.h"
#include "data/errors.h"
#include "vouchers/numbering.h"

#include <charconv>
#include <cmath>
#include <filesystem>

namespace hk::vouchers {

namespace text = core::text;
using output::NumberFormat;

WorkFile WorkFile::create(data::DataSet& ds) {
    return WorkFile(ds.workFile(data::Layout::Tmp));
}

core::Result<Lines> WorkFile::load() {
    Lines out;
    if (auto st = table_.set("Tmp:KeyFisDet"); !st) return st.error();
    for (;;) {
        auto st = table_.next();
        if (!st) {
            if (data::is(st.error(), data::ErrorCode::NoRecord)) break;
            return st.error();
        }
        out.push_back(data::fromRecord<data::FisDet>(table_.buffer()));
    }
    return out;
}

core::Status WorkFile::store(const Lines& lines) {
    if (auto st = table_.empty(); !st) return st;
    for (const auto& l : lines) {
        core::Status st = data::toRecord(l, table_.buffer());
        if (st) st = table_.add();
        if (!st) {
            core::Error e = st.error();
            e.file = "Add(HkTemp)";
            return e;
        }
    }
    return {};
}

Balance balanceUpTo(const data::HsPlan& h, int m) {
    Balance b{h.ACTLBORC - h.ACTLALACAK, h.ACALTBIRIMBORC - h.ACALTBIRIMALACAK,
              h.ACDOVIZBORC - h.ACDOVIZALACAK};
    for (int k = 1; k <= m && k <= 12; ++k) {
        b.tl += data::month(h.TLBORC, k) - data::month(h.TLALACAK, k);
        b.subUnit += data::month(h.ALTBIRIMBORC, k) - data::month(h.ALTBIRIMALACAK, k);
        b.currency += data::month(h.DOVIZBORC, k) - data::month(h.DOVIZALACAK, k);
    }
    return b;
}

VatButtons vatButtons(const data::Yasal& y, char type, const data::FisDet& line) {
    bool payable = false;
    if (type == 'A') payable = true;
    else if (type == 'M') payable = line.TLBORC == 0 && line.TLALACAK != 0;
    VatButtons v;
    for (int i = 1; i <= 5; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        if (payable) {
            v.rates[k] = data::element(y.ODENECEKKDVORAN, i);
            v.accounts[k] = text::clip(data::element(y.ODENECEKKDVKODU, i));
        } else {
            v.rates[k] = data::element(y.INDIRILECEKKDVORAN, i);
            v.accounts[k] = text::clip(data::element(y.INDIRILECEKKDVKODU, i));
        }
    }
    return v;
}

bool takeDifference(data::FisDet& line, double difference) {
    if (difference > 0) {
        line.TLALACAK = difference;
        line.TLBORC = 0;
        return true;
    }
    if (difference < 0) {
        line.TLBORC = -difference;
        line.TLALACAK = 0;
        return true;
    }
    return false;
}

bool finishAmounts(data::FisDet& line) {
    if (line.TLBORC == 0 && line.TLALACAK == 0) return false;
    line.TLBORC = core::numeric::round(line.TLBORC, 2);
    line.TLALACAK = core::numeric::round(line.TLALACAK, 2);
    line.BORCALACAK = line.TLBORC != 0 ? "B" : "A";
    return true;
}

core::Status checkLineAccounts(data::TypedTable<data::HsPlan>& plan, const Lines& lines) {
    for (const auto& l : lines) {
        if (!isAmountLine(l)) continue;
        data::HsPlan key;
        key.HESAPKODU = text::clip(l.HESAPKODU);
        auto a = plan.get("HSP:KeyHesap", key);
        if (a && text::clip(a->NTLK) == "M") continue;
        if (!a && !data::is(a.error(), data::ErrorCode::NotFound)) return a.error();
        return core::Error::badInput("Satır " + std::to_string(l.FISSIRANO) + ": " +
                                     text::clip(l.HESAPKODU) +
                                     (a ? " muavin hesap değil." : " hesap planında yok."));
    }
    return {};
}

output::Sheet workLinesSheet(const Lines& lines) {
    output::Sheet s;
    s.headingRow({{"Borc Alacak"},
                  {"Key Str"},
                  {"Ack No", NumberFormat::Amount},
                  {"No", NumberFormat::Amount},
                  {"Hesap Kodu"},
                  {"Hesap Adı"},
                  {"Fiş Açıklaması"},
                  {"Borç", NumberFormat::Amount},
                  {"Alacak", NumberFormat::Amount},
                  {"Borç Döviz", NumberFormat::Amount},
                  {"Alacak Döviz", NumberFormat::Amount},
                  {"Borç AltBirim", NumberFormat::Amount},
                  {"Alacak AltBirim", NumberFormat::Amount},
                  {"Belge Tipi"},
                  {"Belge No"},
                  {"Belge Tarihi", NumberFormat::Date},
                  {"Belge Aciklamasi"},
                  {"KPersonel"},
                  {"KTarihi", NumberFormat::Date},
                  {"KSaati"}});
    for (const auto& l : lines) {
        s.row()
            .text(l.BORCALACAK)
            .text(l.KEYSTR)
            .number(l.ACKNO)
            .number(l.FISSIRANO)
            .text(l.HESAPKODU)
            .text(l.HESAPADI1)
            .text(l.FISACK)
            .number(l.TLBORC)
            .number(l.TLALACAK)
            .number(l.DOVIZBORC)
            .number(l.DOVIZALACAK)
            .number(l.ALTBIRIMBORC)
            .number(l.ALTBIRIMALACAK)
            .text(l.BELGETIPI)
            .text(l.BELGENO);
        if (l.BELGETARIHI.isSet()) s.date(l.BELGETARIHI);
        else s.empty();
        s.text(l.BELGEACIKLAMASI).text(l.KPERSONEL);
        if (l.KTARIHI.isSet()) s.date(l.KTARIHI);
        else s.empty();
        s.time(l.KSAATI);
    }
    return s;
}

std::string fisDetayPath(const app::Session& s) {
    namespace fs = std::filesystem;
    // The data folder holds the workbook; an .xlsx beside it is taken when there is no .xls, as
    // spreadsheet programs now save that kind by default.
    const fs::path folder = s.VeriYolu.empty() ? fs::path("Dat") : fs::path(s.VeriYolu);
    const fs::path xls = folder / "FisDetay.xls";
    std::error_code ec;
    if (fs::exists(xls, ec)) return xls.string();
    const fs::path xlsx = folder / "FisDetay.xlsx";
    if (fs::exists(xlsx, ec)) return xlsx.string();
    return xls.string();
}

namespace {

// An amount cell: empty is 0; anything else must be a finite, non-negative number.
core::Result<double> amountCell(const std::string& cell, std::uint32_t row, int col) {
    const std::string t = text::trim(cell);
    if (t.empty()) return 0.0;
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc{} || end != t.data() + t.size() || !std::isfinite(v))
        return core::Error::badInput("FisDetay satır " + std::to_string(row) + ", kolon " +
                                     std::to_string(col) + ": \"" + t + "\" bir sayı değil.");
    if (v < 0)
        return core::Error::badInput("FisDetay satır " + std::to_string(row) + ", kolon " +
                                     std::to_string(col) + ": tutar negatif olamaz.");
    return v;
}

core::Result<std::string> textCell(const std::string& cell, std::uint32_t row, int col,
                                   std::size_t width) {
    std::string t = text::clip(cell);
    if (!text::isCp1254(t))
        return core::Error::badInput("FisDetay satır " + std::to_string(row) + ", kolon " +
                                     std::to_string(col) +
                                     ": Türkçe kod sayfasında olmayan karakter var.");
    if (text::length(t) > width)
        return core::Error::badInput("FisDetay satır " + std::to_string(row) + ", kolon " +
                                     std::to_string(col) + ": en çok " + std::to_string(width) +
                                     " karakter olabilir.");
    return t;
}

} // namespace

core::Status readFisDetay(const output::Workbook& book, Lines& lines) {
    Lines added;
    int next = lastLineNumber(lines);
    for (std::uint32_t r = 3;; ++r) {
        if (text::trim(book.cellText(r, 1)).empty()) break;
        data::FisDet l;
        auto code = textCell(book.cellText(r, 1), r, 1, 18);
        if (!code) return code.error();
        auto desc = textCell(book.cellText(r, 2), r, 2, 50);
        if (!desc) return desc.error();
        l.HESAPKODU = text::trim(*code);
        l.FISACK = *desc;
        double* amounts[6] = {&l.TLBORC,       &l.TLALACAK,     &l.DOVIZBORC,
                              &l.DOVIZALACAK, &l.ALTBIRIMBORC, &l.ALTBIRIMALACAK};
        for (int c = 0; c < 6; ++c) {
            auto v = amountCell(book.cellText(r, static_cast<std::uint32_t>(c + 3)), r, c + 3);
            if (!v) return v.error();
            *amounts[c] = *v;
        }
        l.TLBORC = core::numeric::round(l.TLBORC, 2);
        l.TLALACAK = core::numeric::round(l.TLALACAK, 2);
        l.BORCALACAK = l.TLBORC != 0 ? "B" : "A";
        l.KEYSTR = lines.empty() ? "1" : lines.front().KEYSTR;
        ++next;
        l.FISSIRANO = static_cast<std::int16_t>(next);
        l.ACKNO = next * 100;
        added.push_back(std::move(l));
    }
    for (auto& l : added) lines.push_back(std::move(l));
    orderLines(lines);
    return {};
}

} // namespace hk::vouchers
