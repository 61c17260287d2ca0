// The chart's entry and deletion rules. Every write is one unit of work on the data folder's
// database; a refusal found before the write leaves the chart as it was.
#include "accounts/chart.h"

#include "accounts/code.h"
#include "accounts/messages.h"
#include "accounts/rates.h"
#include "core/text.h"
#include "data/errors.h"

namespace hk::accounts {

namespace {

using core::Error;
using core::Result;
using core::Status;

constexpr const char* kKey = "HSP:KeyHesap";
constexpr const char* kCaption = "Hesap Planı";

Status checkText(std::string_view value, std::size_t width, const std::string& label) {
    if (!core::text::isCp1254(value))
        return Error::badInput(label + " Türkçe kod sayfasında olmayan bir karakter içeriyor: \"" +
                               std::string(value) + "\"");
    if (core::text::length(core::text::clip(value)) > width)
        return Error::badInput(label + " en çok " + std::to_string(width) +
                               " karakter olabilir: \"" + std::string(value) + "\"");
    return {};
}

// Reads the record that follows `a` in code order (nullopt at the end).
Result<std::optional<data::HsPlan>> following(data::TypedTable<data::HsPlan>& plan,
                                              const data::HsPlan& a) {
    data::HsPlan from;
    from.HESAPKODU = core::text::clip(a.HESAPKODU);
    if (auto st = plan.set(kKey, data::Seek::AtOrBefore, from); !st) return st.error();
    // AtOrBefore leaves next() on the first record above the code itself.
    auto r = plan.next();
    if (!r) {
        if (data::isMissing(r.error())) return std::optional<data::HsPlan>{};
        return r.error();
    }
    return std::optional<data::HsPlan>{*r};
}

} // namespace

Result<std::optional<data::HsPlan>> findAccount(data::TypedTable<data::HsPlan>& plan,
                                                std::string_view code) {
    data::HsPlan key;
    key.HESAPKODU = core::text::clip(code);
    if (key.HESAPKODU.empty() || core::text::length(key.HESAPKODU) > kCodeWidth ||
        !core::text::isCp1254(key.HESAPKODU))
        return std::optional<data::HsPlan>{};
    auto r = plan.get(kKey, key);
    if (!r) {
        if (data::isMissing(r.error())) return std::optional<data::HsPlan>{};
        return r.error();
    }
    return std::optional<data::HsPlan>{*r};
}

Result<std::optional<data::HsPlan>> findAccount(data::DataSet& data, std::string_view code) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return plan.error();
    return findAccount(*plan, code);
}

std::string attributeName(std::string_view ntlk) {
    if (ntlk == "K") return "Kebir";
    if (ntlk == "G") return "Grup";
    if (ntlk == "M") return "Muavin";
    return {};
}

bool isWorked(const data::HsPlan& a) {
    for (double v : {a.ACTLBORC, a.ACTLALACAK, a.ACALTBIRIMBORC, a.ACALTBIRIMALACAK, a.ACDOVIZBORC,
                     a.ACDOVIZALACAK, a.KPTLBORC, a.KPTLALACAK, a.KPALTBIRIMBORC,
                     a.KPALTBIRIMALACAK, a.KPDOVIZBORC, a.KPDOVIZALACAK})
        if (v != 0) return true;
    for (const auto* arr : {&a.TLBORC, &a.TLALACAK, &a.ALTBIRIMBORC, &a.ALTBIRIMALACAK,
                            &a.DOVIZBORC, &a.DOVIZALACAK})
        for (int m = 1; m <= 12; ++m)
            if (data::month(*arr, m) != 0) return true;
    return false;
}

Status forEachAccount(data::TypedTable<data::HsPlan>& plan, std::string_view from,
                      std::string_view to, const std::function<bool(const data::HsPlan&)>& visit) {
    const std::string lo = core::text::clip(from);
    const std::string hi = core::text::clip(to);
    Status st;
    if (lo.empty()) {
        st = plan.set(kKey);
    } else {
        data::HsPlan k;
        k.HESAPKODU = lo;
        if (core::text::length(lo) > kCodeWidth || !core::text::isCp1254(lo))
            return Error::badInput("Geçersiz hesap kodu: \"" + lo + "\"");
        st = plan.set(kKey, data::Seek::AtOrAfter, k);
    }
    if (!st) return st;
    for (;;) {
        auto r = plan.next();
        if (!r) {
            if (data::isMissing(r.error())) return {};
            return r.error();
        }
        if (!hi.empty() && core::text::compare(r->HESAPKODU, hi, true) > 0) return {};
        if (!visit(*r)) return {};
    }
}

Status checkCodeText(std::string_view code) {
    const std::string c(code);
    if (core::text::clip(c).empty()) return Error::badInput("Hesap Kodu boş olamaz.");
    if (auto st = checkText(c, kCodeWidth, "Hesap Kodu"); !st) return st;
    if (core::text::length(c) > kCodeWidth)
        return Error::badInput("Hesap Kodu en çok 18 karakter olabilir: \"" + c + "\"");
    if (c.front() == ' ' || c.back() == ' ')
        return Error::badInput("Hesap Kodu boşlukla başlayamaz ya da bitemez: \"" + c + "\"");
    if (c.find("  ") != std::string::npos)
        return Error::badInput(
            "Hesap Kodunun seviyeleri tek boşlukla ayrılmalıdır (iki boşluk yan yana olamaz): \"" +
            c + "\"");
    for (char ch : c)
        if (static_cast<unsigned char>(ch) < 0x20)
            return Error::badInput("Hesap Kodu kontrol karakteri içeremez.");
    return {};
}

Status checkAccountFields(const data::HsPlan& a) {
    if (auto st = checkText(a.HESAPAD1, kNameWidth, "Hesap Adı"); !st) return st;
    if (auto st = checkText(a.HESAPAD2, kNameWidth, "Hesap Adı 2"); !st) return st;
    if (auto st = checkText(a.ALTBIRIM, kUnitWidth, "Alt Birim"); !st) return st;
    if (auto st = checkText(a.DOVIZKODU, kCurrencyWidth, "Doviz Kodu"); !st) return st;
    const std::string n = core::text::clip(a.NTLK);
    if (!n.empty() && n != "K" && n != "G" && n != "M")
        return Error::badInput("Hesap Niteliği K (Kebir), G (Grup) ya da M (Muavin) olmalıdır: \"" +
                               a.NTLK + "\"");
    return {};
}

Result<NewCodeCheck> checkNewCode(data::TypedTable<data::HsPlan>& plan, std::string_view code,
                                  app::Ui& ui) {
    NewCodeCheck out;
    out.code = core::text::clip(code);
    auto self = findAccount(plan, out.code);
    if (!self) return self.error();
    if (*self) {
        out.message = out.code + " Hesap Kodu Zaten Tanımlıdır.";
        ui.message(out.message, kCaption, app::Icon::Warning, "&Tamam", 1);
        out.outcome = NewCodeCheck::Exists;
        return out;
    }
    const std::string parent = parentCode(out.code);
    if (parent.empty()) {
        out.topLevel = true;
        out.kebirAllowed = true;
        return out;
    }
    auto p = findAccount(plan, parent);
    if (!p) return p.error();
    if (!*p) {
        out.message = "Öncelikle " + parent + " Hesap Kodu Tanımlanmalıdır.";
        ui.message(out.message, kCaption, app::Icon::Warning, "&Tamam", 1);
        out.outcome = NewCodeCheck::ParentMissing;
        out.code = parent;
        return out;
    }
    const std::string pn = core::text::clip((*p)->NTLK);
    if (pn == "M") {
        out.message = "Muavin Hesap Kodu Zaten Tanımlanmıştır";
        ui.message(out.message, kCaption, app::Icon::Warning, "&Tamam", 1);
        out.outcome = NewCodeCheck::ParentIsDetail;
        return out;
    }
    // A parent with another attribute (one read from a workbook, say) is taken as it is.
    out.kebirAllowed = !(pn == "K" || pn == "G");
    return out;
}

data::HsPlan masterOnly(const data::HsPlan& a) {
    data::HsPlan r;
    r.HESAPKODU = core::text::clip(a.HESAPKODU);
    r.HESAPAD1 = core::text::clip(a.HESAPAD1);
    r.HESAPAD2 = core::text::clip(a.HESAPAD2);
    r.NTLK = core::text::clip(a.NTLK);
    r.ALTBIRIM = core::text::clip(a.ALTBIRIM);
    r.DOVIZKODU = core::text::clip(a.DOVIZKODU);
    return r;
}

namespace {

// The currency code of an account must name a currency.
Status checkAccountCurrency(data::DataSet& data, const data::HsPlan& a, app::Ui& ui) {
    if (core::text::clip(a.DOVIZKODU).empty()) return {};
    auto cur = data.open<data::Doviz>();
    if (!cur) return raiseStored(ui, cur.error(), 23);
    auto c = findCurrency(*cur, a.DOVIZKODU);
    if (!c) return raiseStored(ui, c.error(), 1);
    if (!*c)
        return refuseInput(ui, Error::badInput(core::text::clip(a.DOVIZKODU) +
                                               " Döviz Kodu Tanımlı Değil."));
    return {};
}

} // namespace

Status addAccount(data::DataSet& data, const data::HsPlan& a, app::Ui& ui) {
    if (auto st = checkCodeText(a.HESAPKODU); !st) return refuseInput(ui, st.error());
    if (auto st = checkAccountFields(a); !st) return refuseInput(ui, st.error());
    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto check = checkNewCode(*plan, a.HESAPKODU, ui);
    if (!check) return raiseStored(ui, check.error(), 1);
    if (check->outcome != NewCodeCheck::Ok)
        return Error::refused(check->message, true);
    data::HsPlan rec = masterOnly(a);
    if (check->topLevel) {
        rec.NTLK = "K";
    } else if (!check->kebirAllowed && rec.NTLK == "K") {
        return refuse(ui, "Kebir ya da Grup hesabın alt hesabı Kebir olamaz; Grup ya da Muavin "
                          "seçin.",
                      kCaption);
    }
    if (auto st = checkAccountCurrency(data, rec, ui); !st) return st;
    if (auto st = plan->add(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status changeAccount(data::DataSet& data, std::string_view originalCode,
                     const data::HsPlan& edited, app::Ui& ui) {
    if (auto st = checkCodeText(edited.HESAPKODU); !st) return refuseInput(ui, st.error());
    if (auto st = checkAccountFields(edited); !st) return refuseInput(ui, st.error());
    if (auto st = checkAccountCurrency(data, edited, ui); !st) return st;
    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto stored = findAccount(*plan, originalCode);
    if (!stored) return raiseStored(ui, stored.error(), 1);
    if (!*stored)
        return refuse(ui, core::text::clip(originalCode) + " Hesap Kodu Bulunamıyor...", kCaption);
    data::HsPlan rec = **stored;
    const data::HsPlan m = masterOnly(edited);
    rec.HESAPKODU = m.HESAPKODU;
    rec.HESAPAD1 = m.HESAPAD1;
    rec.HESAPAD2 = m.HESAPAD2;
    rec.NTLK = m.NTLK;
    rec.ALTBIRIM = m.ALTBIRIM;
    rec.DOVIZKODU = m.DOVIZKODU;
    if (auto st = plan->put(rec); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

Status checkDelete(data::TypedTable<data::HsPlan>& plan, const data::HsPlan& a, app::Ui& ui) {
    if (isWorked(a))
        return refuse(ui,
                      core::text::pad(a.HESAPKODU, kCodeWidth) + " Çalışmıştır SİLEMEZSİNİZ..!",
                      kCaption);
    // The next account in code order is a sub-account whenever the account has one. The list's
    // own position is not touched: this reads through the rule's own file handle.
    auto next = following(plan, a);
    if (!next) return raiseStored(ui, next.error(), 1);
    if (*next) {
        const std::string code = core::text::clip(a.HESAPKODU);
        const std::string sub = core::text::clip((*next)->HESAPKODU);
        const std::string head = core::text::left(sub, core::text::length(code) + 1);
        if (core::text::compare(head, code + " ", true) == 0 &&
            core::text::length(head) == core::text::length(code) + 1)
            return refuse(ui, sub + " Alt Hesap Kodu Tanımlı Silemezsiniz.!", kCaption);
    }
    return {};
}

Status deleteAccount(data::DataSet& data, std::string_view code, app::Ui& ui) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return raiseStored(ui, plan.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    auto stored = findAccount(*plan, code);
    if (!stored) return raiseStored(ui, stored.error(), 1);
    if (!*stored)
        return refuse(ui, core::text::clip(code) + " Hesap Kodu Bulunamıyor...", kCaption);
    if (auto st = checkDelete(*plan, **stored, ui); !st) return st;
    // checkDelete moved the file on: read the account again to make it the current record.
    auto again = findAccount(*plan, code);
    if (!again) return raiseStored(ui, again.error(), 1);
    if (!*again)
        return refuse(ui, core::text::clip(code) + " Hesap Kodu Bulunamıyor...", kCaption);
    if (auto st = plan->erase(); !st) return raiseStored(ui, st.error(), 11);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

void CopyBuffer::put(const data::HsPlan& a) {
    std::lock_guard lock(mutex_);
    rec_ = masterOnly(a);
}

bool CopyBuffer::empty() const {
    std::lock_guard lock(mutex_);
    return !rec_ || rec_->HESAPKODU.empty();
}

data::HsPlan CopyBuffer::takeForInsert() {
    std::lock_guard lock(mutex_);
    if (!rec_ || rec_->HESAPKODU.empty()) return {};
    data::HsPlan r = *rec_;
    rec_.reset();
    return r;
}

} // namespace hk::accounts
