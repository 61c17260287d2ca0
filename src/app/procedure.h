#pragma once
// The procedure contract. Every user function of the books is written once as a procedure
//
//     core::Status run(ProcedureContext& ctx, const Options& o);
//
// and registered once, by its domain module, in the ProcedureRegistry. The desktop program reaches
// it from the menu (by catalogue name) and the command-line program as a subcommand (by its
// command words), so a procedure written once needs no hand wiring in either program.
//
// A procedure talks to the user only through ctx.ui, works only on ctx.data, and reports a
// failure by returning an Error: the caller turns it into the user's message once. When the
// procedure has already shown its own message box (a rule's refusal text, or the user answered
// "Hayır"), it returns an Error with `shown` set, and the caller adds nothing. A long procedure (Runs::Worker) is run off the GUI thread on a data set
// of its own, reports progress through ctx.ui.progress() and stops when ctx.ui.cancelled().

#include "app/params.h"
#include "app/pdf.h"
#include "app/rights.h"
#include "app/session.h"
#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace hk::app {

// The choices a procedure is run with: the menu entry's argument, the words after the data
// folder on the command line, and named values (command-line flags without their dashes, or the
// choices a window made: "month" -> "3", "yes" -> "1"). A flag given without a value holds "1".
class Options {
  public:
    // Declared parameters (set by parseCommandLine, or by a window with declare()): a value not
    // given reads as its declared default.
    void declare(std::vector<Param> params) { declared_ = std::move(params); }
    const Param* declared(const std::string& name) const;

    std::string argument;                // the menu entry's argument ("1", "0", "")
    std::vector<std::string> positional; // command line: the words after the data folder

    void set(const std::string& name, std::string value) { values_[name] = std::move(value); }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The value of `name`, or `fallback` when it was not given.
    std::string get(const std::string& name, const std::string& fallback = {}) const;
    // A flag: given (without a value, or with "1", "E", "yes", "true") = true.
    bool flag(const std::string& name) const;
    // A whole number; an Error naming the option when it is given but is not one, nullopt when
    // it is not given.
    core::Result<std::optional<long long>> integer(const std::string& name) const;
    const std::map<std::string, std::string>& values() const { return values_; }

    // Typed values of declared parameters, already checked (see params.h): the value given, or
    // the declared default, or the zero of the type when neither is there.
    int month(const std::string& name) const { return monthOf(value(name)); }
    std::pair<int, int> monthRange(const std::string& name) const {
        return monthRangeOf(value(name));
    }
    std::vector<int> monthList(const std::string& name) const { return monthListOf(value(name)); }
    core::Date date(const std::string& name) const { return dateOf(value(name)); }
    std::pair<core::Date, core::Date> dateRange(const std::string& name) const {
        return dateRangeOf(value(name));
    }
    bool yesNo(const std::string& name) const { return yesNoOf(value(name)); }
    long long number(const std::string& name) const { return integerOf(value(name)); }
    double decimal(const std::string& name) const { return numberOf(value(name)); }
    // A Letter parameter's word as declared ("d" given for T|D|A reads "D"); other values
    // trimmed.
    std::string word(const std::string& name) const;
    // The given value, else the declared default, else empty.
    std::string value(const std::string& name) const;
    // The report destination given (Destination::None when none).
    OutputChoice output() const;

  private:
    std::map<std::string, std::string> values_;
    std::vector<Param> declared_;
};

// What one run of a procedure works with. The references outlive the run.
struct ProcedureContext {
    Session& session;
    Ui& ui;
    const RightsService& rights;
    data::DataSet& data;
};

using ProcedureFn = std::function<core::Status(ProcedureContext&, const Options&)>;

// Where a procedure runs in the desktop program: Here = on the calling (GUI) thread, for short
// work and for procedures that open windows; Worker = on a thread of its own with its own data
// set, the progress window and its cancel button.
enum class Runs { Here, Worker };

struct ProcedureSpec {
    // Catalogue name the menu uses ("YMizanDuzelt"); empty for a command-line-only command.
    std::string name;
    // Command words on the command line ({"voucher", "import"}); empty = not a CLI command.
    std::vector<std::string> command;
    // Command line: what follows the words, one line ("DIR FILE.csv [--dry-run]: ...").
    std::string usage;
    Runs runs = Runs::Here;
    ProcedureFn run;
    // Command line: the flags the procedure takes, without dashes. `flags` take a value
    // ("--month 3" or "--month=3"), `switches` none ("--dry-run"). Any other flag is refused
    // before the procedure runs. The options every command shares (--program-dir, --ini, --user,
    // --password, --yes, --aktar) are the command-line program's own.
    std::vector<std::string> flags;
    std::vector<std::string> switches;
    // The declared parameters (params.h): checked before the procedure runs, listed by
    // `hesapkar-cli help COMMAND`, the defaults of option windows.
    std::vector<Param> params;
    // The report destinations the procedure offers (Outputs bits); with any, exactly one of them
    // must be given on the command line unless `outputOptional`.
    Outputs outputs = 0;
    bool outputOptional = false;
    // Command line: a longer text for `help COMMAND` (what the command does).
    std::string help;
};

// The one table of procedures. Filled at program start by every domain module's
// registerProcedures(); read by the menu, the buttons and the command-line program.
class ProcedureRegistry {
  public:
    // Adds a procedure. A second registration of the same name or the same command words is a
    // programming fault (std::logic_error).
    void add(ProcedureSpec spec);
    const ProcedureSpec* find(const std::string& name) const;
    // The procedure whose command words are the longest prefix of `words`; `used` is set to the
    // number of words matched. nullptr when none matches.
    const ProcedureSpec* findCommand(const std::vector<std::string>& words,
                                     std::size_t& used) const;
    const std::vector<ProcedureSpec>& all() const { return specs_; }

  private:
    std::vector<ProcedureSpec> specs_;
};

// Builds Options from command-line words (after the command words and the data folder): "--x V",
// "--x=V", switches, and positional words ("-" alone is positional). A flag the procedure does not
// name, or a valued flag without its value, is an Error naming it.
core::Result<Options> parseCommandLine(const std::vector<std::string>& words,
                                       const ProcedureSpec& spec);

// Checks the values a window (or a caller) set against the spec's declarations: required ones
// given, each value of its kind, the destination (when offered) complete.
[[nodiscard]] core::Status checkOptions(const ProcedureSpec& spec, const Options& o);

// Account parameters whose code must be in the chart: checked once the data set is open
// ("--from hesap planında yok: \"999\"").
[[nodiscard]] core::Status checkAccounts(data::DataSet& ds, const ProcedureSpec& spec,
                                         const Options& o);

// `hesapkar-cli help COMMAND`: the usage line, the help text and one line per parameter.
std::string helpText(const std::string& commandName, const ProcedureSpec& spec);

} // namespace hk::app
