// Currencies and rates. Every write runs in its own unit of work on the database that holds the
// currency files (the program-wide one when a data folder was given), so a refused write leaves
// nothing behind; the Doviz -> DDoviz relation (code change carried to the rates, delete refused
// while rates exist) is the data layer's.
#include "accounts/rates.h"

#include "accounts/messages.h"
#include "core/text.h"
#include "data/errors.h"

#include <charconv>
#include <cmath>

namespace hk::accounts {

namespace {

using core::Error;
using core::Result;
using core::Status;

Result<data::TypedTable<data::Doviz>> currencies(data::DataSet& d) { return d.open<data::Doviz>(); }
Result<data::TypedTable<data::DDoviz>> rateFile(data::DataSet& d) { return d.open<data::DDoviz>(); }

// Positions the rate file on (code, date) exactly; false when there is no such record.
Result<bool> seekRate(data::TypedTable<data::DDoviz>& rates, std::string_view currency,
                      core::Date date) {
    data::DDoviz key;
    key.DOVIZKODU = std::string(currency);
    key.DOVIZKURTARIHI = date;
    auto r = rates.get("DDO:KyDoviz", key);
    if (!r) {
        if (data::isMissing(r.error())) return false;
        return r.error();
    }
    return true;
}

Status checkText(std::string_view value, std::size_t width, const std::string& label) {
    if (!core::text::isCp1254(value))
        return Error::badInput(label + " Türkçe kod sayfasında olmayan bir karakter içeriyor: \"" +
                               std::string(value) + "\"");
    if (core::text::length(core::text::clip(value)) > width)
        return Error::badInput(label + " en çok " + std::to_string(width) +
                               " karakter olabilir: \"" + std::string(value) + "\"");
    return {};
}

} // namespace

Result<std::optional<double>> rateOn(data::TypedTable<data::DDoviz>& rates,
                                     std::string_view currency, core::Date date) {
    if (core::text::clip(currency).empty() || !date.isSet()) return std::optional<double>{};
    auto found = seekRate(rates, currency, date);
    if (!found) return found.error();
    if (!*found) return std::optional<double>{};
    const double r = rates.current().DOVIZKURTUTARI;
    if (!(r > 0)) return std::optional<double>{};
    return std::optional<double>{r};
}

Result<std::optional<double>> rateOn(data::DataSet& data, std::string_view currency,
                                     core::Date date) {
    auto rates = rateFile(data);
    if (!rates) return rates.error();
    return rateOn(*rates, currency, date);
}

Result<std::optional<data::Doviz>> findCurrency(data::TypedTable<data::Doviz>& file,
                                                std::string_view code) {
    if (core::text::clip(code).empty()) return std::optional<data::Doviz>{};
    data::Doviz key;
    key.DOVIZKODU = core::text::clip(code);
    if (!core::text::isCp1254(key.DOVIZKODU) || core::text::length(key.DOVIZKODU) > 3)
        return std::optional<data::Doviz>{};
    auto r = file.get("DOV:KyDovizKodu", key);
    if (!r) {
        if (data::isMissing(r.error())) return std::optional<data::Doviz>{};
        return r.error();
    }
    return std::optional<data::Doviz>{*r};
}

Status checkCurrency(const data::Doviz& c) {
    const std::string code = core::text::clip(c.DOVIZKODU);
    if (code.empty()) return Error::badInput("Döviz Kodu boş olamaz.");
    if (code.front() == ' ' || code.find(' ') != std::string::npos)
        return Error::badInput("Döviz Kodu boşluk içeremez: \"" + c.DOVIZKODU + "\"");
    if (auto st = checkText(c.DOVIZKODU, 3, "Döviz Kodu"); !st) return st;
    return checkText(c.DOVIZADI, 30, "Döviz Adı");
}

Status addCurrency(data::DataSet& data, const data::Doviz& c, app::Ui& ui) {
    if (auto st = checkCurrency(c); !st) return refuseInput(ui, st.error());
    auto file = currencies(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("Doviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    data::Doviz rec = c;
    rec.DOVIZKODU = core::text::clip(c.DOVIZKODU);
    if (auto st = file->add(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status changeCurrency(data::DataSet& data, std::string_view oldCode, const data::Doviz& c,
                      app::Ui& ui) {
    if (auto st = checkCurrency(c); !st) return refuseInput(ui, st.error());
    auto file = currencies(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("Doviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto old = findCurrency(*file, oldCode);
    if (!old) return raiseStored(ui, old.error(), 1);
    if (!*old) return refuse(ui, core::text::clip(oldCode) + " Döviz Kodu Bulunamadı.");
    data::Doviz rec = c;
    rec.DOVIZKODU = core::text::clip(c.DOVIZKODU);
    if (auto st = file->put(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status deleteCurrency(data::DataSet& data, std::string_view code, app::Ui& ui) {
    auto file = currencies(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("Doviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto old = findCurrency(*file, code);
    if (!old) return raiseStored(ui, old.error(), 1);
    if (!*old) return refuse(ui, core::text::clip(code) + " Döviz Kodu Bulunamadı.");
    if (auto st = file->erase(); !st) return raiseStored(ui, st.error(), 11);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Result<std::vector<data::Doviz>> listCurrencies(data::DataSet& data) {
    auto file = currencies(data);
    if (!file) return file.error();
    std::vector<data::Doviz> out;
    if (auto st = file->set("DOV:KyDovizKodu"); !st) return st.error();
    for (;;) {
        auto r = file->next();
        if (!r) {
            if (data::isMissing(r.error())) break;
            return r.error();
        }
        out.push_back(*r);
    }
    return out;
}

Status checkRate(data::DataSet& data, const data::DDoviz& r) {
    auto file = currencies(data);
    if (!file) return file.error();
    auto c = findCurrency(*file, r.DOVIZKODU);
    if (!c) return c.error();
    if (!*c)
        return Error::badInput(core::text::clip(r.DOVIZKODU) +
                               " Döviz Kodu Tanımlı Değil; önce dövizi tanımlayın.");
    if (!r.DOVIZKURTARIHI.isSet() || !r.DOVIZKURTARIHI.isValid())
        return Error::badInput("Kur Tarihi geçerli bir tarih olmalıdır.");
    if (!std::isfinite(r.DOVIZKURTUTARI) || !(r.DOVIZKURTUTARI > 0))
        return Error::badInput("Kur Tutarı sıfırdan büyük olmalıdır.");
    return {};
}

Status addRate(data::DataSet& data, const data::DDoviz& r, app::Ui& ui) {
    auto ok = checkRate(data, r);
    if (!ok) return ok.error().kind == core::ErrorKind::BadInput ? refuseInput(ui, ok.error())
                                                                 : raiseStored(ui, ok.error(), 1);
    auto file = rateFile(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("DDoviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    data::DDoviz rec = r;
    rec.DOVIZKODU = core::text::clip(r.DOVIZKODU);
    if (auto st = file->add(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status changeRate(data::DataSet& data, const data::DDoviz& old, const data::DDoviz& r,
                  app::Ui& ui) {
    auto ok = checkRate(data, r);
    if (!ok) return ok.error().kind == core::ErrorKind::BadInput ? refuseInput(ui, ok.error())
                                                                 : raiseStored(ui, ok.error(), 1);
    auto file = rateFile(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("DDoviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto found = seekRate(*file, old.DOVIZKODU, old.DOVIZKURTARIHI);
    if (!found) return raiseStored(ui, found.error(), 1);
    if (!*found) return refuse(ui, "Değiştirilecek kur kaydı bulunamadı.");
    data::DDoviz rec = r;
    rec.DOVIZKODU = core::text::clip(r.DOVIZKODU);
    if (auto st = file->put(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status deleteRate(data::DataSet& data, std::string_view currency, core::Date date, app::Ui& ui) {
    auto file = rateFile(data);
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.databaseOf("DDoviz")};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto found = seekRate(*file, currency, date);
    if (!found) return raiseStored(ui, found.error(), 1);
    if (!*found) return refuse(ui, "Silinecek kur kaydı bulunamadı.");
    if (auto st = file->erase(); !st) return raiseStored(ui, st.error(), 11);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Result<std::vector<data::DDoviz>> listRates(data::DataSet& data, std::string_view currency) {
    auto file = rateFile(data);
    if (!file) return file.error();
    const std::string code = core::text::clip(currency);
    data::DDoviz from;
    from.DOVIZKODU = code;
    // The date component descends: the newest day of the currency is the first at or after the
    // largest date.
    from.DOVIZKURTARIHI = core::Date{31, 12, 9999};
    auto st = code.empty() ? file->set("DDO:KyDoviz")
                           : file->set("DDO:KyDoviz", data::Seek::AtOrAfter, from);
    if (!st) return st.error();
    std::vector<data::DDoviz> out;
    for (;;) {
        auto r = file->next();
        if (!r) {
            if (data::isMissing(r.error())) break;
            return r.error();
        }
        if (!code.empty() && core::text::compare(r->DOVIZKODU, code, true) != 0) break;
        out.push_back(*r);
    }
    return out;
}

Result<core::Date> parseDate(std::string_view text) {
    const std::string t = core::text::trim(text);
    int part[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int i = 0;
    for (char ch : t) {
        if (ch == '.') {
            if (++i > 2) break;
        } else if (ch >= '0' && ch <= '9' && digits[i] < 4) {
            part[i] = part[i] * 10 + (ch - '0');
            ++digits[i];
        } else {
            i = 3;
            break;
        }
    }
    if (i != 2 || digits[0] == 0 || digits[0] > 2 || digits[1] == 0 || digits[1] > 2 ||
        digits[2] != 4)
        return Error::badInput("Tarih gg.aa.yyyy biçiminde olmalıdır: \"" + std::string(text) + "\"");
    core::Date d{static_cast<std::uint8_t>(part[0]), static_cast<std::uint8_t>(part[1]),
                 static_cast<std::uint16_t>(part[2])};
    if (!d.isValid() || part[2] < 1801)
        return Error::badInput("Geçersiz tarih: \"" + std::string(text) + "\"");
    return d;
}

Result<double> parseRate(std::string_view text) {
    const std::string t = core::text::trim(text);
    bool point = false, digit = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char ch = t[i];
        if (ch >= '0' && ch <= '9')
            digit = true;
        else if (ch == '.' && !point)
            point = true;
        else if (!(ch == '-' && i == 0))
            return Error::badInput("Kur Tutarı ondalık noktalı bir sayı olmalıdır: \"" +
                                   std::string(text) + "\"");
    }
    if (!digit || t.size() > 24)
        return Error::badInput("Kur Tutarı ondalık noktalı bir sayı olmalıdır: \"" +
                               std::string(text) + "\"");
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return Error::badInput("Kur Tutarı ondalık noktalı bir sayı olmalıdır: \"" +
                               std::string(text) + "\"");
    return v;
}

} // namespace hk::accounts
