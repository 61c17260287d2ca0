#pragma once
// Data version check and conversion of older data sets to the current record layouts.
//
// The data version is the text of the single Version record; the program's own is
// kProgramVersion ("302008"). An older data set is converted step by step:
//
//   data version   step                                          new version
//   "204001"       no file changes                               "301001"
//   "301001"       FisDet, layout A (133 bytes) -> layout B       "302005"
//   "302005"       Yasal, old layout (2919 bytes) -> current      "302006"
//   "302006"       FisDet, layout B (248 bytes) -> current        "302007"
//   "302007"       FisBas, old layout (53 bytes) -> current       "302008"
//
// Each step is one unit of work: the new table is built as "<N>.Tmp", every record copied field
// by field (fields of the same name; texts padded or cut, new fields blank), the keys built, the
// old table kept as "<N>.Esk", the new one renamed to <N>, the new version written and the field
// catalogue (DataList) dropped so that start-up preparation rebuilds it. A crash in the middle
// leaves the data at the previous version, and the next start runs the step again.
//
// Decisions where the rules leave room: a file missing from the data set has nothing to convert
// (the step only advances the version); a file held by another process, or stored under another
// layout than the version promises, makes the step fail. When "<N>.Esk" exists from an earlier
// step it is kept too, under "<N>.Esk2", "<N>.Esk3", ...: no data is ever dropped.
//
// Nothing here talks to the user: the caller asks the question and shows the messages; progress
// goes through a small sink.

#include "core/result.h"
#include "data/database.h"
#include "data/dataset.h"

#include <functional>
#include <optional>
#include <string>

namespace hk::data::convert {

// The messages and question texts of the version check.
inline constexpr const char* kNewerText = "Programın Yeni Versiyonu Yüklenmelidir.";
inline constexpr const char* kUnknownText = "Hatalı Versiyon Convert Yapılamadı.!";
inline constexpr const char* kFailedText = "Convert Yapılamadı Çalışan Olabilir";
inline constexpr const char* kQuestionTitle = "Uyarı Ekranı";
inline constexpr const char* kQuestionButtons = "&Convert Yap|Convert İ&ptal";
inline constexpr int kQuestionDefault = 2;
inline constexpr const char* kQuestionText = "Hesapkar Datası Convert Edilecektir.\n"
                                             "Bilgilerin Yedeklerini MUTLAKA ALINIZ.!\n"
                                             "Bilgi Kaybından KOVAN Bilgisayar Sorumlu Tutulamaz.?";

enum class State {
    New,     // no Version record: start-up preparation stamps it
    Current, // equal to the program version
    Older,   // to be converted (the question comes first)
    Newer,   // written by a newer program: refused
};

struct VersionCheck {
    State state = State::New;
    std::string dataVersion; // trailing blanks cut; empty for New
};

// Reads the Version record (creating nothing: a data set without a Version table is New).
core::Result<VersionCheck> check(Database& db);

// Progress of a step: the text line and the share done (0..100, -1 unknown).
using ProgressSink = std::function<void(const std::string& text, int percent)>;

enum class StepOutcome { Done, UnknownVersion, Failed };

struct ConversionResult {
    StepOutcome outcome = StepOutcome::Done;
    std::string version; // the data version reached
    core::Error error;   // why a step failed (Failed only)
};

// Runs the steps until the data version equals the program version. Stops at an unknown version
// or a failed step; every step completed before stays done. A new data set (no Version record)
// needs nothing; a newer one is never touched (Failed, text kNewerText).
ConversionResult convertAll(Database& db, const ProgressSink& progress);

// One step from `fromVersion`; the version reached, or the failure. UnknownVersion comes back as
// an Error with code 0 and text kUnknownText.
core::Result<std::string> convertStep(Database& db, const std::string& fromVersion,
                                      const ProgressSink& progress);

// The voucher-date repair "Fiş Yılını Döneme Göre Düzenle": every voucher header, in KEYSTR
// order, gets the year of the fiscal-period start (day and month kept); its lines get the new
// date and the names of their accounts from the chart. Keys and account totals are not touched.
// One unit of work. Returns the number of vouchers changed.
core::Result<int> TarihAyarla(Database& db, const ProgressSink& progress);

} // namespace hk::data::convert
