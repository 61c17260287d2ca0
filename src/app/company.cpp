#include "app/company.h"

#include "data/database.h"
#include "data/errors.h"

namespace hk::app::company {
namespace {

core::Error refused(const std::string& text) {
    return core::Error::refused(text);
}

template <std::size_t N> bool anyAboveZero(const std::array<std::int16_t, N>& a) {
    for (std::int16_t v : a)
        if (v > 0) return true;
    return false;
}

core::Result<data::Yasal> readFirst(data::TypedTable<data::Yasal>& file) {
    if (auto st = file.setPhysical(); !st) return st.error();
    return file.next();
}

} // namespace

bool numberingLocked(const data::Yasal& y) {
    const bool restart = y.FISNOSIRASI == "A" || y.FISNOSIRASI == "G";
    const bool scheme = y.FISNUMARALAMADUZENI == "B" || y.FISNUMARALAMADUZENI == "A";
    if (!restart || !scheme) return false;
    return anyAboveZero(y.MAHSUPNUMARATOR) || anyAboveZero(y.TAHSILNUMARATOR) ||
           anyAboveZero(y.TEDIYENUMARATOR);
}

core::Date proposeEndDate(core::Date start) {
    if (!start.isSet()) return {};
    // DATE(month, day, year + 1) - 1; 29 February rolls to 1 March of the next year first.
    const core::Date next = core::Date::make(start.month, start.day, start.year + 1);
    return core::Date::fromDayNumber(next.dayNumber() - 1);
}

core::Status validate(const data::Yasal& y) {
    if (auto st = validatePeriod(y); !st) return st;
    return validateOthers(y);
}

core::Status validate(const data::Yasal& edited, const data::Yasal& stored) {
    // Converted data may hold a period the checks would refuse today; while its dates stay as
    // they are (they cannot even be edited once voucher numbers were given) the rest of the
    // record must still be savable.
    if (edited.MALIDONEMBAS != stored.MALIDONEMBAS || edited.MALIDONEMSON != stored.MALIDONEMSON)
        if (auto st = validatePeriod(edited); !st) return st;
    return validateOthers(edited);
}

core::Status validatePeriod(const data::Yasal& y) {
    if (!y.MALIDONEMBAS.isSet() || !y.MALIDONEMBAS.isValid())
        return refused("Mali Dönem Başlangıç Tarihi geçerli bir tarih olmalıdır.");
    if (!y.MALIDONEMSON.isSet() || !y.MALIDONEMSON.isValid())
        return refused("Mali Dönem Bitiş Tarihi geçerli bir tarih olmalıdır.");
    if (y.MALIDONEMSON < y.MALIDONEMBAS)
        return refused("Mali Dönem Bitiş Tarihi, Başlangıç Tarihinden önce olamaz.");
    if (proposeEndDate(y.MALIDONEMBAS) < y.MALIDONEMSON)
        return refused("Mali Dönem on iki aydan uzun olamaz.");
    return {};
}

core::Status validateOthers(const data::Yasal& y) {
    if (y.FISNUMARALAMADUZENI != "B" && y.FISNUMARALAMADUZENI != "A")
        return refused("Fiş Numaralama Düzeni \"B\" veya \"A\" olmalıdır.");
    if (y.FISNOSIRASI != "A" && y.FISNOSIRASI != "G")
        return refused("Fiş No Sırası \"A\" veya \"G\" olmalıdır.");
    if (y.KAPANANAY > 12)
        return refused("Değişikliğe Kapatılan Ay No 0 ile 12 arasında olmalıdır.");
    for (int i = 1; i <= 5; ++i) {
        const int o = data::element(y.ODENECEKKDVORAN, i);
        const int d = data::element(y.INDIRILECEKKDVORAN, i);
        if (o < 0 || o > 100 || d < 0 || d > 100)
            return refused("KDV oranı 0 ile 100 arasında olmalıdır.");
    }
    if (!y.FISGRUBYAZ.empty() && y.FISGRUBYAZ != "E" && y.FISGRUBYAZ != "H")
        return refused("Fiş Raporuna Grub Yazılsın alanı \"E\" veya \"H\" olmalıdır.");
    if (!y.EDEFTER.empty() && y.EDEFTER != "E" && y.EDEFTER != "H")
        return refused("EDefter alanı \"E\" veya \"H\" olmalıdır.");
    return {};
}

core::Result<data::Yasal> loadOrCreate(data::TypedTable<data::Yasal>& file) {
    auto first = readFirst(file);
    if (first) return first;
    if (!data::isMissing(first.error())) return first.error();
    data::Yasal empty;
    if (auto st = file.add(empty); !st) return st.error();
    return empty;
}

void copyAllButNumerators(const data::Yasal& from, data::Yasal& to) {
    data::Yasal kept = to;
    to = from;
    to.MAHSUPNUMARATOR = kept.MAHSUPNUMARATOR;
    to.TAHSILNUMARATOR = kept.TAHSILNUMARATOR;
    to.TEDIYENUMARATOR = kept.TEDIYENUMARATOR;
}

core::Result<data::Yasal> save(data::TypedTable<data::Yasal>& file, const data::Yasal& edited,
                               const CopyEdited& copyEdited) {
    // Read and written in one unit of work that holds the write lock from the start: voucher
    // entry in another process advances the numerators of this same record, and a read outside
    // it would write their older values back.
    auto tx = file.begin();
    if (!tx) return tx.error();
    auto stored = readFirst(file);
    if (!stored && !data::isMissing(stored.error())) return stored.error();
    if (auto st = stored ? validate(edited, stored.value()) : validate(edited); !st)
        return st.error();
    data::Yasal out = stored ? stored.value() : data::Yasal{};
    if (stored && numberingLocked(out)) {
        if (edited.MALIDONEMBAS != out.MALIDONEMBAS || edited.MALIDONEMSON != out.MALIDONEMSON ||
            edited.FISNUMARALAMADUZENI != out.FISNUMARALAMADUZENI ||
            edited.FISNOSIRASI != out.FISNOSIRASI)
            return refused("Fiş numarası verilmiş: Mali Dönem ve Fiş Numaralama Düzeni "
                           "değiştirilemez.");
    }
    copyEdited(edited, out);
    if (stored) {
        if (auto st = file.put(out); !st) return st.error();
    } else {
        if (auto st = file.add(out); !st) return st.error();
    }
    if (auto st = tx->commit(); !st) return st.error();
    return out;
}

} // namespace hk::app::company
