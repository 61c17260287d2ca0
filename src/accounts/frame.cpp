#include "accounts/frame.h"

#include "accounts/messages.h"
#include "core/text.h"
#include "data/errors.h"

namespace hk::accounts {

namespace {

core::Status check(const data::CsPlan& c) {
    const std::string code = core::text::clip(c.HESAPKODU);
    if (code.empty()) return core::Error::badInput("Hesap Kodu boş olamaz.");
    if (!core::text::isCp1254(c.HESAPKODU) || !core::text::isCp1254(c.HESAPAD1))
        return core::Error::badInput("Türkçe kod sayfasında olmayan bir karakter girildi.");
    if (core::text::length(code) > 18)
        return core::Error::badInput("Hesap Kodu en çok 18 karakter olabilir.");
    if (core::text::length(core::text::clip(c.HESAPAD1)) > 50)
        return core::Error::badInput("Hesap Adı en çok 50 karakter olabilir.");
    return {};
}

data::CsPlan clipped(const data::CsPlan& c) {
    return {core::text::clip(c.HESAPKODU), core::text::clip(c.HESAPAD1)};
}

} // namespace

core::Status addFrameClass(data::DataSet& data, const data::CsPlan& c, app::Ui& ui) {
    if (auto st = check(c); !st) return refuseInput(ui, st.error());
    auto file = data.open<data::CsPlan>();
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    if (auto st = file->add(clipped(c)); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

core::Status changeFrameClass(data::DataSet& data, std::string_view oldCode,
                              const data::CsPlan& c, app::Ui& ui) {
    if (auto st = check(c); !st) return refuseInput(ui, st.error());
    auto file = data.open<data::CsPlan>();
    if (!file) return raiseStored(ui, file.error(), 23);
    data::Transaction tx{data.data()};
    if (!tx.started()) return raiseStored(ui, tx.started().error(), 21);
    data::CsPlan key;
    key.HESAPKODU = core::text::clip(oldCode);
    auto found = file->get("CsHSP:KeyHesap", key);
    if (!found) return raiseStored(ui, found.error(), 1);
    if (auto st = file->put(clipped(c)); !st) return raiseStored(ui, st.error(), 13);
    if (auto st = tx.commit(); !st) return raiseStored(ui, st.error(), 21);
    return {};
}

} // namespace hk::accounts
