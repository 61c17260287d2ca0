#include "journal/run.h"

#include "app/calendar.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"

namespace hk::journal {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

JournalState JournalState::of(const data::Yasal& y) {
    JournalState s;
    s.lastNumber = y.SONYEVMIYENO;
    s.lastMonth = y.SONYEVMIYEAY;
    s.lastDate = y.SONYEVMIYETARIH;
    s.debit = y.SONYEVMIYEBORC;
    s.credit = y.SONYEVMIYEALACAK;
    return s;
}

void JournalState::applyTo(data::Yasal& y) const {
    y.SONYEVMIYENO = lastNumber;
    y.SONYEVMIYEAY = static_cast<std::int16_t>(lastMonth);
    y.SONYEVMIYETARIH = lastDate;
    y.SONYEVMIYEBORC = debit;
    y.SONYEVMIYEALACAK = credit;
}

MonthDates monthDates(const data::Yasal& y, int p) {
    MonthDates d;
    if (p < 1 || p > 12 || !y.MALIDONEMBAS.isSet()) return d;
    const int ayFarki = app::ayFarkiOf(y.MALIDONEMBAS);
    int m = p + ayFarki;
    if (m > 12) m -= 12;
    // A month from the start month on lies in the start year, an earlier one in the end year.
    const int year = m >= y.MALIDONEMBAS.month
                         ? y.MALIDONEMBAS.year
                         : (y.MALIDONEMSON.isSet() ? y.MALIDONEMSON.year : y.MALIDONEMBAS.year + 1);
    d.calendarMonth = m;
    d.start = core::Date::make(m, 1, year);
    d.end = core::Date::fromDayNumber(core::Date::make(m + 1, 1, year).dayNumber() - 1);
    return d;
}

int proposedMonth(const JournalState& s) {
    return std::min(12, std::max(1, s.lastMonth + 1));
}

int allowedMonth(const JournalState& s, int month) {
    const int low = std::max(1, s.lastMonth);
    const int high = std::min(12, s.lastMonth + 1);
    if (month < low) return low;
    if (month > high) return high;
    return month;
}

Result<RunRange> checkRun(const data::Yasal& y, const RunOptions& o) {
    if (!y.MALIDONEMBAS.isSet())
        return Error::badInput("Şirket bilgilerinde mali dönem başlangıç tarihi tanımlı değil.");
    const JournalState s = JournalState::of(y);
    if (allowedMonth(s, o.month) != o.month) {
        const int low = std::max(1, s.lastMonth);
        const int high = std::min(12, s.lastMonth + 1);
        std::string allowed = std::to_string(low);
        if (high != low) allowed += " ya da " + std::to_string(high);
        return Error::badInput("Yevmiye çekilecek dönem " + allowed +
                               " olmalıdır (verilen: " + std::to_string(o.month) + ").");
    }
    const MonthDates md = monthDates(y, o.month);
    RunRange r{o.month, md.start, md.end};
    if (o.endDate.isSet()) {
        if (o.endDate.month != md.calendarMonth || o.endDate.year != md.start.year ||
            !o.endDate.isValid())
            return Error::badInput(kOtherPeriodDate);
        r.end = o.endDate;
    }
    if (o.pageCount && y.MALIDONEMSON.isSet()) r.end = y.MALIDONEMSON;
    return r;
}

namespace {
std::string attribute(const data::FisBas& h) {
    return text::upperTr(text::clip(h.FISNTLK));
}
} // namespace

bool isOpening(const data::FisBas& h) {
    return attribute(h) == "ACF";
}
bool isClosing(const data::FisBas& h) {
    return attribute(h) == "KPF";
}
bool isCancelled(const data::FisBas& h) {
    return attribute(h) == "IPT";
}

bool takes(const RunOptions& o, const data::FisBas& h) {
    if (isCancelled(h)) return false;
    if (isOpening(h) && !o.includeOpening) return false;
    if (isClosing(h) && !o.includeClosing) return false;
    return true;
}

std::string typeWord(const std::string& fisTur) {
    const std::string first = text::left(fisTur, 1);
    if (first == "M") return " MAHSUP";
    if (first == "A") return " TAHSİL";
    if (first == "E") return " TEDİYE";
    return {};
}

std::string entryText(const data::FisBas& h, double number) {
    std::string s = "[ YEVMİYE MADDE NO: " + pic::format(number, "n_5") +
                    " ]      [ FİŞ TARİHİ : " + pic::format(h.FISTRH, "d17b") + ", FİŞ NO:";
    s = text::clip(s) + typeWord(h.FISTUR);
    s = text::clip(s) + " " + pic::format(static_cast<double>(h.FISNO), "n_5");
    return s;
}

Result<Files> Files::open(data::DataSet& ds) {
    Files f;
    auto h = ds.open<data::FisBas>();
    if (!h) return h.error();
    auto l = ds.open<data::FisDet>();
    if (!l) return l.error();
    auto p = ds.open<data::HsPlan>();
    if (!p) return p.error();
    auto y = ds.open<data::Yasal>();
    if (!y) return y.error();
    f.headers = std::move(*h);
    f.lines = std::move(*l);
    f.plan = std::move(*p);
    f.company = std::move(*y);
    return f;
}

Result<data::Yasal> readCompany(data::TypedTable<data::Yasal>& file) {
    if (auto st = file.setPhysical(); !st) return st.error();
    auto y = file.next();
    if (!y) return Error::of(y.error().code, "Şirket kaydı okunamadı: " + y.error().text, "Yasal");
    return y;
}

Status storeState(data::TypedTable<data::Yasal>& file, const JournalState& s) {
    auto y = readCompany(file);
    if (!y) return y.error();
    s.applyTo(*y);
    return file.put(*y);
}

Status checkEarlierMonths(Files& f, app::Ui& ui, const RunOptions& o, const RunRange& r) {
    if (r.month <= 1) return {};
    if (auto st = f.headers.set("MFB:KeyMuavin", data::Seek::First); !st) return st;
    for (;;) {
        auto h = f.headers.next();
        if (!h) {
            if (h.error().code == static_cast<int>(data::ErrorCode::NoRecord)) return {};
            return h.error();
        }
        if (h->FISTRH >= r.start) return {};
        // Vouchers the run leaves out by its own options are not waiting for a number.
        if (h->YEVMIYENO != 0 || !takes(o, *h)) continue;
        const std::string msg = pic::format(h->FISTRH, "d6") + " Tarihli " +
                                std::to_string(h->FISNO) + " Nolu Fiş\nÖnceki Ay Fişlerinde\n" +
                                "Yevmiyesi Çekilmemiş Fiş Bulunuyor!";
        ui.message(msg, "Uyarı Ekranı", app::Icon::Warning, "&Tamam", 1);
        return Error::refused(msg, true);
    }
}

Result<std::vector<data::FisDet>> voucherLines(Files& f, const std::string& key) {
    std::vector<data::FisDet> out;
    data::FisDet from;
    from.KEYSTR = key;
    if (auto st = f.lines.set("MFD:KeyFisSiraNo", data::Seek::AtOrAfter, from); !st)
        return st.error();
    for (;;) {
        auto l = f.lines.next();
        if (!l) {
            if (l.error().code == static_cast<int>(data::ErrorCode::NoRecord)) break;
            return l.error();
        }
        if (l->KEYSTR != key) break;
        out.push_back(std::move(*l));
    }
    return out;
}

bool isDebit(const data::FisDet& l) {
    return text::left(l.BORCALACAK, 1) == "B";
}

double sideAmount(const data::FisDet& l) {
    return isDebit(l) ? l.TLBORC : l.TLALACAK;
}

Result<JournalState> stateBefore(Files& f, const JournalState& stored, core::Date start) {
    JournalState s = stored;
    data::FisBas from;
    from.FISTRH = start;
    if (auto st = f.headers.set("MFB:KeyMuavin", data::Seek::AtOrAfter, from); !st)
        return st.error();
    std::vector<std::string> keys;
    for (;;) {
        auto h = f.headers.next();
        if (!h) {
            if (h.error().code == static_cast<int>(data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (h->YEVMIYENO != 0) keys.push_back(h->KEYSTR);
    }
    for (const auto& k : keys) {
        auto lines = voucherLines(f, k);
        if (!lines) return lines.error();
        for (const auto& l : *lines)
            (isDebit(l) ? s.debit : s.credit) -= sideAmount(l);
    }
    return s;
}

const AccountNames::Entry& AccountNames::get(const std::string& code) {
    const std::string key = text::clip(code);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    Entry e;
    data::HsPlan k;
    k.HESAPKODU = key;
    if (auto a = plan_.get("HSP:KeyHesap", k)) {
        e.found = true;
        e.code = text::clip(a->HESAPKODU);
        e.name1 = text::clip(a->HESAPAD1);
        e.name2 = text::clip(a->HESAPAD2);
    }
    return cache_.emplace(key, std::move(e)).first->second;
}

} // namespace hk::journal
