#pragma once
// What the printed journal and the two e-ledger exports share: the month to run, the journal
// state kept in the company record, the rules that decide which vouchers a run takes, the check
// that earlier months are complete, and the numbering of entries.
//
// Invariants every run keeps:
//   - an entry number, once stored on a voucher, is never changed or given again;
//   - MYA:SONYEVMIYENO is the highest number stored, and the carried totals are the sums of the
//     lines of every numbered voucher (plus whatever the company started with);
//   - a cancelled voucher ("IPT") is never numbered, printed or exported: it is never posted,
//     so it has no place in a book that must agree with the ledger;
//   - only the last printed month or the next one may run, and a run never writes anything
//     before it has checked the month, the end date and the earlier months.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/records.h"
#include "data/table.h"

#include <map>
#include <string>
#include <vector>

namespace hk::data {
class DataSet;
}

namespace hk::journal {

// The choices of one run, as the journal window makes them.
struct RunOptions {
    int month = 0;        // fiscal month number 1..12
    core::Date endDate;   // last date included; unset = end of the month
    int fontSize = 6;     // font size for ordinary printers
    bool reprint = false; // "YenidenYaz"
    bool mainOnly = false;
    int firstPage = 1;
    bool pageCount = false;
    bool certified = false;      // "Yevmiye Tastikli Kağıda mı Çekiliyor" = Evet
    bool includeOpening = true;  // "Açılış Fişi Dahilmi"
    bool includeClosing = false; // "Kapanış Fişi Dahilmi"
};

// The journal group of the company record.
struct JournalState {
    double lastNumber = 0; // MYA:SONYEVMIYENO
    int lastMonth = 0;     // MYA:SONYEVMIYEAY
    core::Date lastDate;   // MYA:SONYEVMIYETARIH
    double debit = 0;      // MYA:SONYEVMIYEBORC
    double credit = 0;     // MYA:SONYEVMIYEALACAK

    static JournalState of(const data::Yasal& y);
    void applyTo(data::Yasal& y) const;
};

struct MonthDates {
    core::Date start, end;
    int calendarMonth = 0;
};

// First and last day of fiscal month p (1..12) of the company's fiscal year.
MonthDates monthDates(const data::Yasal& y, int p);

// The month the window proposes: the one after the last printed, never beyond 12.
int proposedMonth(const JournalState& s);
// The nearest month a run may take: a lower one is raised to the last printed month, a higher
// one lowered to the next (first use: month 1 only).
int allowedMonth(const JournalState& s, int month);

// The run's dates: start of the month, end date (blank = end of the month; page count = end of
// the fiscal year).
struct RunRange {
    int month = 0;
    core::Date start, end;
};

// Checks the month against the allowed range and the end date against the month; the error
// text is the one the user sees. Nothing is read or written.
core::Result<RunRange> checkRun(const data::Yasal& y, const RunOptions& o);

// The voucher attributes with a meaning for the journal.
bool isOpening(const data::FisBas& h);
bool isClosing(const data::FisBas& h);
bool isCancelled(const data::FisBas& h);
// Whether a run with these options takes the voucher at all (numbered or not).
bool takes(const RunOptions& o, const data::FisBas& h);

// " MAHSUP", " TAHSİL", " TEDİYE" or "" by the voucher type's first letter.
std::string typeWord(const std::string& fisTur);
// The heading text of an entry as the printed journal and the XML export show it, without the
// dashes of the printout: "[ YEVMİYE MADDE NO: " ... " FİŞ NO: MAHSUP    12".
std::string entryText(const data::FisBas& h, double number);

// The files one run reads. Opened once per run on the caller's data set.
struct Files {
    data::TypedTable<data::FisBas> headers;
    data::TypedTable<data::FisDet> lines;
    data::TypedTable<data::HsPlan> plan;
    data::TypedTable<data::Yasal> company;
    static core::Result<Files> open(data::DataSet& ds);
};

// The company record (first record of Yasal); NotFound when the file is empty.
core::Result<data::Yasal> readCompany(data::TypedTable<data::Yasal>& file);
// Writes the journal group over the stored company record, leaving every other field as it is
// in the file now (voucher entry may have advanced the numerators meanwhile).
core::Status storeState(data::TypedTable<data::Yasal>& file, const JournalState& s);

// The earlier-month check: the first voucher dated before `start` that the run would take and
// that has no entry number is named in the message, which is shown; the error is then `shown`.
// Month 1 is never checked.
core::Status checkEarlierMonths(Files& f, app::Ui& ui, const RunOptions& o, const RunRange& r);

// The lines of one voucher in line-number order.
core::Result<std::vector<data::FisDet>> voucherLines(Files& f, const std::string& key);

// A line's amount on its own side: TL debit for side "B", TL credit otherwise.
double sideAmount(const data::FisDet& l);
bool isDebit(const data::FisDet& l);

// The carried totals before `start`: the stored ones less the lines of every voucher dated from
// `start` on that already carries a number (those lines are inside the stored totals).
core::Result<JournalState> stateBefore(Files& f, const JournalState& stored, core::Date start);

// Account names by code, read once per code for a run.
class AccountNames {
  public:
    explicit AccountNames(data::TypedTable<data::HsPlan>& plan) : plan_(plan) {}
    struct Entry {
        bool found = false;
        std::string code, name1, name2;
    };
    const Entry& get(const std::string& code);

  private:
    data::TypedTable<data::HsPlan>& plan_;
    std::map<std::string, Entry> cache_;
};

// The Turkish texts of the rule messages, used by the window and the command line alike.
inline constexpr const char* kOtherPeriodDate = "Farklı Dönem Tarihi Girdiniz.!";

} // namespace hk::journal
