#pragma once
// Company settings (the single Yasal record): the rules of the settings window.
//
// The record is read in physical order (the file has no key) and the first record is the
// company. Saving writes only what the window edits over the record as it stands in the file at
// that moment: the voucher numerators are never taken from the window's copy, because voucher
// entry may have advanced them while the window was open, and writing an older copy back would
// hand out the same voucher numbers twice.

#include "core/date.h"
#include "core/result.h"
#include "data/records.h"
#include "data/table.h"

#include <functional>

namespace hk::app::company {

// True when the period dates and the numbering options may no longer change: the numbering
// letters are valid ("A"/"G" restart, "B"/"A" scheme) and some numerator slot 1..366 of any of
// the three numerators is above 0. With letters outside those, nothing is locked, so an unset
// company can always be repaired.
bool numberingLocked(const data::Yasal& y);

// The end date proposed when the start date is entered: the day before the same date one year
// later (01.01.2014 -> 31.12.2014, 01.07.2014 -> 30.06.2015, 29.02.2016 -> 28.02.2017). The
// unset date gives the unset date.
core::Date proposeEndDate(core::Date start);

// Checks the values the window edits: both period dates set and real, the end not before the
// start and at most twelve months after it (the month calendar has twelve months), the
// numbering letters, the closed month 0..12 and the VAT rates 0..100.
core::Status validate(const data::Yasal& y);
// The same for a record about to be written over `stored`: the period is checked only when one
// of its dates changed.
core::Status validate(const data::Yasal& edited, const data::Yasal& stored);
// The two halves: the period dates, and everything else.
core::Status validatePeriod(const data::Yasal& y);
core::Status validateOthers(const data::Yasal& y);

// The company record: the first record of the file; an empty one is added when there is none.
core::Result<data::Yasal> loadOrCreate(data::TypedTable<data::Yasal>& file);

// Which members of the edited record a save writes over the stored one: the editor's own
// declaration (the settings window copies exactly the fields its form binding declares), so a
// member no editor shows keeps the file's value.
using CopyEdited = std::function<void(const data::Yasal& from, data::Yasal& to)>;

// Every member but the three voucher numerators: for an editor that names any field (the
// command line's "company set", which reads the record inside the same unit of work).
void copyAllButNumerators(const data::Yasal& from, data::Yasal& to);

// Writes the edited members (`copyEdited`) over the stored first record and returns the record
// as written, reading and writing in one unit of work begun with BEGIN IMMEDIATE (a second
// process waits). While the stored record is locked (numberingLocked) a changed period date or
// numbering option is refused and nothing is written.
core::Result<data::Yasal> save(data::TypedTable<data::Yasal>& file, const data::Yasal& edited,
                               const CopyEdited& copyEdited);

} // namespace hk::app::company
