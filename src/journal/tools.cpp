#include "journal/tools.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/dataset.h"
#include "journal/run.h"

#include <optional>

namespace hk::journal {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

Result<std::string> belgeTipiKontrol(data::DataSet& ds, app::Ui& ui) {
    auto files = Files::open(ds);
    if (!files) return files.error();
    Files& f = *files;
    std::string list = kCheckListStart;
    if (auto st = f.headers.set("MFB:KeyMuavin", data::Seek::First); !st) return st.error();
    std::vector<data::FisBas> pending;
    for (;;) {
        auto h = f.headers.next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        // Cancelled vouchers never reach the e-ledger, so their documents do not matter.
        if (h->YEVMIYENO == 0 && !isCancelled(*h)) pending.push_back(*h);
    }
    for (const auto& h : pending) {
        const std::string who = pic::format(h.FISTRH, "d6") + " " + std::to_string(h.FISNO);
        ui.progress(who + " Kontrol Ediliyor.", -1);
        if (ui.cancelled()) return Error::refused("Kontrol kullanıcı isteğiyle durduruldu.");
        data::FisDet from;
        from.KEYSTR = h.KEYSTR;
        if (auto st = f.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st)
            return st.error();
        std::optional<std::string> first;
        for (;;) {
            auto l = f.lines.next();
            if (!l) {
                if (data::is(l.error(), data::ErrorCode::NoRecord)) break;
                return l.error();
            }
            if (l->KEYSTR != h.KEYSTR) break;
            // An extra description line carries no document of its own.
            if (l->ACKNO % 100 != 0) continue;
            const std::string type = text::clip(l->BELGETIPI);
            if (!first) {
                first = type;
            } else if (type != *first) {
                list += "\n" + who + " " + text::clip(l->HESAPKODU) + " " + text::clip(l->FISACK) +
                        " Fiş İçinde Belge Tipi Farklı Olamaz.";
                break;
            }
        }
    }
    ui.progress("İşlem Tamamlandı.", 100);
    return list;
}

Result<long> OtherAckBosalt(data::DataSet& ds, app::Ui& ui) {
    const char* question =
        "EDefter Bilgileri, Belge Tipi Other ise Belge Açıklama bilgisini boşalt.";
    if (ui.message(question, "Uyarı Ekranı", app::Icon::Question, "Evet|Hayır", 1) != 1)
        return Error::refused(question, true);
    auto t = ds.open<data::FisDet>();
    if (!t) return t.error();
    auto total = t->count();
    if (!total) return total.error();
    if (auto st = t->setPhysical(); !st) return st.error();
    long seen = 0, changed = 0;
    int shown = -1;
    // Committed in batches: each line is cleaned on its own, so a stopped run leaves cleaned
    // and untouched lines that a second run completes.
    std::optional<data::Transaction> tx;
    for (;;) {
        if (!tx) {
            tx.emplace(ds.data());
            if (!tx->started()) return tx->started().error();
        }
        auto l = t->next();
        if (!l) {
            if (data::is(l.error(), data::ErrorCode::NoRecord)) break;
            return l.error();
        }
        ++seen;
        const int pct = *total > 0 ? static_cast<int>(seen * 100 / *total) : 100;
        if (pct != shown) {
            shown = pct;
            ui.progress(std::to_string(pct) + "% Completed", pct);
        }
        if (text::clip(l->BELGETIPI) == "Diğer") continue;
        if (text::clip(l->BELGEACIKLAMASI).empty() && text::clip(l->BELGEACIKLAMASI2).empty())
            continue;
        l->BELGEACIKLAMASI.clear();
        l->BELGEACIKLAMASI2.clear();
        if (auto st = t->put(*l); !st) return st.error();
        if (++changed % 1000 == 0) {
            if (auto st = tx->commit(); !st) return st.error();
            tx.reset();
        }
    }
    if (tx)
        if (auto st = tx->commit(); !st) return st.error();
    ui.progressDone();
    return changed;
}

} // namespace hk::journal
