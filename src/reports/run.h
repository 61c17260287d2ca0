#pragma once
// One complete run of a trial balance or a subsidiary ledger, whatever started it (the filter
// windows, the command line): the definition (stored, or a standard one built in memory), the
// optional rebuild before a trial balance, the work file, and the output route.
//
// Routes: a page sink (preview, PDF, raw queue or file) for printed output, a text file (the
// "Dosya ya Aktar" route: no page breaks, the header once), or a spreadsheet. A run that fails
// or is refused hands its sink nothing more and does not finish it, so no output file is left.
// Nor does a run that selects no line at all: it shows `kNothingToOutput` and leaves no file.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "output/page.h"
#include "output/printer.h"
#include "output/sheet.h"
#include "reports/ledger.h"
#include "reports/standard.h"
#include "reports/trial_balance.h"

#include <memory>
#include <optional>

namespace hk::reports {

inline constexpr const char* kNothingToOutput =
    "Rapora girecek kayıt yok; çıktı oluşturulmadı.";

struct DefinitionChoice {
    int number = 0;               // 0: the standard definition of `measure`, built in memory
    Measure measure = Measure::Tl;
};

// Where the lines go. Exactly one of `sink` and `sheet` is set.
struct Route {
    output::PageSink* sink = nullptr;
    output::Sheet* sheet = nullptr;
    output::PrinterKind kind = output::PrinterKind::Ordinary;
    bool textFile = false; // the sink is the text file: one page, the header once
};

core::Result<Definition> chooseDefinition(data::DataSet& ds, const std::string& kind,
                                          const DefinitionChoice& c);

struct TrialBalanceRun {
    TrialBalanceOptions options;
    bool rebuild = false;     // " Mizan Düzenle"
    bool leaveOutYan = false; // " Yansıtma Hariç"
};

// Runs stages 1-3; false when the user cancelled the work file (nothing was output).
core::Result<bool> runTrialBalance(data::DataSet& ds, app::Ui& ui, const DefinitionChoice& def,
                                   const TrialBalanceRun& run, const Route& route);
core::Result<LedgerStats> runLedger(data::DataSet& ds, app::Ui& ui, const DefinitionChoice& def,
                                    const LedgerOptions& o, const Route& route);

} // namespace hk::reports
