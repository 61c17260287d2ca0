#pragma once
// The rules of the definition editors ("Rapor Tanımı", "Rapor Değiştir", "Tanımlanabilir Saha
// Listesi", "Tablo Bilanço Tanımlamaları", "Update the BDRapor File"). The windows gather input
// and call these; every record is written here, each change in one unit of work.

#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::statements {

// ---- defined listing reports (Rapor / DRapor) ----

// A new column of report r: printed ("E"), a value column ("D"), picture "@", linked to r.
data::DRapor newColumn(const data::Rapor& r);
// The columns of a report in number order.
core::Result<std::vector<data::DRapor>> reportColumns(data::DataSet& ds, const data::Rapor& r);
// The number a copied or new column gets: one above the highest in use.
core::Result<int> nextColumnNumber(data::DataSet& ds, const data::Rapor& r);

// Writes the header: an insert refuses a number in use with the duplicate-key error (message 13),
// a change keeps the report's number and kind (its columns hang on them).
core::Status saveReport(data::DataSet& ds, const data::Rapor& r, bool insert);
// Deletes the header with all its columns.
core::Status deleteReport(data::DataSet& ds, const data::Rapor& r);
// Writes a column; `oldNumber` is the number it was read under (nullopt for a new one). Refuses a
// number below 1 and a kind other than S, D, F.
core::Status saveColumn(data::DataSet& ds, const data::DRapor& c, std::optional<int> oldNumber);
core::Status deleteColumn(data::DataSet& ds, const data::DRapor& c);

enum class Move { Up, Down };
// Moves a column up (down): it swaps numbers with the column numbered one less (one more); when
// there is no such neighbour nothing changes. Returns the column's number afterwards. Both
// records are rewritten in one unit of work, so no temporary number is ever visible (the editors
// of old parked the column at 99 meanwhile, which broke a report that used 99 itself).
core::Result<int> moveColumn(data::DataSet& ds, const data::DRapor& c, Move m);

// ---- the field list (DataList) ----

// The names of one definition kind ("1", "2", "3"; "9" and anything else have none), in key
// order.
core::Result<std::vector<data::DataList>> fieldList(data::DataSet& ds, std::string_view kind);
// A look-up appends the chosen name to the end of a text, after its trailing blanks are removed.
std::string appendName(std::string_view text, std::string_view name);
// The "Saha Adı" look-up: appends the field to DRP:FIELDKOD and sets kind, width and picture from
// its type (STRING/CSTRING: "S", its size, "@s" + size in two digits; DATE: "S", 10, "@s10" and
// the text appended is "Format(" + name + ",@d17b)"; anything else "D", 15, "@n15.2").
void chooseColumnField(data::DRapor& c, const data::DataList& field);

// ---- statements (Tablo / DTablo) ----

// A new line of statement `number` on `side`: a value line ("D") that is printed ("E").
data::DTablo newLine(int number, std::string_view side);
core::Result<std::vector<data::DTablo>> statementLines(data::DataSet& ds, int number, std::string_view side);
// Refuses a blank type with "Rapor Tipi Boş Geçilemez." (kind Refused, text exactly that).
core::Status saveStatement(data::DataSet& ds, const data::Tablo& t, bool insert);
core::Status deleteStatement(data::DataSet& ds, const data::Tablo& t);
// The margin rule of the line editor: above 3 becomes 3.
int capMargin(int margin);
// Writes a line; `old` is the (number, side) it was read under. Refuses a number below 1, a side
// other than A/P, a negative margin; caps the margin at 3.
core::Status saveLine(data::DataSet& ds, const data::DTablo& l, std::optional<std::pair<int, std::string>> old);
core::Status deleteLine(data::DataSet& ds, const data::DTablo& l);
// Moves a line up (down) among the lines of its side, as moveColumn does (the old editors parked
// it at 900).
core::Result<int> moveLine(data::DataSet& ds, const data::DTablo& l, Move m);

// The help texts of the line editor.
inline constexpr const char* kHelpHesapKodu = "Hesap Kodu Kullanım Şekli:";
inline constexpr const char* kHelpRange = "600:610 -> 600 Den 610 a Kadar Bütün Hesapların Sonucu Alınır.";
inline constexpr const char* kHelpList = "600,602,700 -> 600,602 ve 700 Hesapların Sonuçları Alınır";
inline constexpr const char* kHelpFormul = "Formül Kullanım Şekli:";
inline constexpr const char* kHelpFormulText = "Satırlar Arası +,- ile İşlem Yapılır";

} // namespace hk::statements
