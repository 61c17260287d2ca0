#pragma once
// Currencies (Doviz) and their dated rates (DDoviz).
//
// A rate is the TL value of one unit of a currency on one day. The lookup takes exactly the
// currency and the day asked for: a day without a rate record has no rate, and nothing falls back
// to an earlier day, so a voucher dated on such a day gets no conversion. A stored rate is always
// above zero: a zero or negative rate is refused at entry, because every conversion divides by it.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::accounts {

// The rate of `currency` on `date` exactly; nullopt when there is no such record. A stored rate
// that is not above zero (possible only in data written by older programs) counts as no rate.
core::Result<std::optional<double>> rateOn(data::DataSet& data, std::string_view currency,
                                           core::Date date);
// The same on an open rate file, for callers that look up many lines.
core::Result<std::optional<double>> rateOn(data::TypedTable<data::DDoviz>& rates,
                                           std::string_view currency, core::Date date);

// ---- currencies -------------------------------------------------------------------------------

// The currency of that code (case does not matter); nullopt when there is none.
core::Result<std::optional<data::Doviz>> findCurrency(data::TypedTable<data::Doviz>& file,
                                                      std::string_view code);

// Checks a currency as typed: a code of 1..3 characters without blanks inside, a name of at most
// 30 characters, cp1254 only. BadInput naming what is wrong.
core::Status checkCurrency(const data::Doviz& c);

// Adds a currency. A code that exists already is refused (message 13 with its key, raised through
// ui; the returned Error is marked shown).
core::Status addCurrency(data::DataSet& data, const data::Doviz& c, app::Ui& ui);
// Changes the currency stored under `oldCode` to `c`; a changed code is carried to its rates.
core::Status changeCurrency(data::DataSet& data, std::string_view oldCode, const data::Doviz& c,
                            app::Ui& ui);
// Deletes a currency; one that still has rates is refused with message 30.
core::Status deleteCurrency(data::DataSet& data, std::string_view code, app::Ui& ui);
// Every currency in code order.
core::Result<std::vector<data::Doviz>> listCurrencies(data::DataSet& data);

// ---- rates ------------------------------------------------------------------------------------

// Checks a rate as typed: a known currency, a real date, an amount above zero.
core::Status checkRate(data::DataSet& data, const data::DDoviz& r);
// Adds a rate; a second rate of the same currency and day is refused (message 13).
core::Status addRate(data::DataSet& data, const data::DDoviz& r, app::Ui& ui);
// Replaces the rate stored for (old.DOVIZKODU, old.DOVIZKURTARIHI) by `r`.
core::Status changeRate(data::DataSet& data, const data::DDoviz& old, const data::DDoviz& r,
                        app::Ui& ui);
core::Status deleteRate(data::DataSet& data, std::string_view currency, core::Date date,
                        app::Ui& ui);
// The rates of one currency, newest first; every rate (currency order, newest first) when
// `currency` is empty.
core::Result<std::vector<data::DDoviz>> listRates(data::DataSet& data,
                                                  std::string_view currency = {});

// "dd.mm.yyyy" (one- or two-digit day and month) into a real date; BadInput otherwise.
core::Result<core::Date> parseDate(std::string_view text);
// A rate typed with a decimal point ("36.5012"); BadInput for anything else.
core::Result<double> parseRate(std::string_view text);

} // namespace hk::accounts
