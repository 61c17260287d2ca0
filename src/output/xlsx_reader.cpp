// The .xlsx reader: the package relations lead from "_rels/.rels" to the workbook, the workbook's
// relations to its sheets, shared strings and styles; the active tab of the first window view
// names the sheet that is read.

#include "output/sheet.h"
#include "output/sheet_reader.h"

#include <pugixml.hpp>

#include "core/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string_view>

namespace hk::output {

namespace {

using core::Error;

std::string_view localName(const pugi::xml_node& n) {
    std::string_view name = n.name();
    auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node child(const pugi::xml_node& n, std::string_view local) {
    for (auto c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c) == local) return c;
    return {};
}

template <typename F> void eachChild(const pugi::xml_node& n, std::string_view local, F&& f) {
    for (auto c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c) == local) f(c);
}

// Attribute by local name, so "r:id" is found whatever prefix the file binds.
pugi::xml_attribute attr(const pugi::xml_node& n, std::string_view local) {
    for (auto a = n.first_attribute(); a; a = a.next_attribute()) {
        std::string_view name = a.name();
        auto colon = name.find(':');
        if ((colon == std::string_view::npos ? name : name.substr(colon + 1)) == local) return a;
    }
    return {};
}

// Part names inside the package: resolves "..", "." and absolute targets.
std::string resolvePart(const std::string& baseDir, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
                                                             : baseDir + std::string(target);
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= joined.size(); ++i) {
        if (i == joined.size() || joined[i] == '/') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += joined[i];
        }
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string dirOf(const std::string& part) {
    auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// A custom number format shows a date when, outside quoted text, escapes and [...] sections, it
// has a day or year code, or a month code without hours or seconds ("mm:ss" is a duration).
bool isDateFormatCode(std::string_view code) {
    bool d = false, y = false, m = false, h = false, s = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '"') {
            auto close = code.find('"', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == '[') {
            auto close = code.find(']', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // the next character is literal (or a fill/space width)
        } else if (c == ';') {
            break; // the first section decides
        } else {
            switch (c | 0x20) {
            case 'd':
                d = true;
                break;
            case 'y':
                y = true;
                break;
            case 'm':
                m = true;
                break;
            case 'h':
                h = true;
                break;
            case 's':
                s = true;
                break;
            default:
                break;
            }
        }
    }
    return d || y || (m && !h && !s);
}

bool isBuiltInDateFormat(unsigned id) {
    return id >= 14 && id <= 22;
}

std::string dateText(core::Date d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", unsigned(d.day), unsigned(d.month),
                  unsigned(d.year));
    return buf;
}

// Text of a shared string or inline string: its <t>, or the <t> of each rich-text run.
// Phonetic runs (<rPh>) are reading aids, not part of the text.
void appendRichText(const pugi::xml_node& si, std::string& out) {
    for (auto c = si.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        if (localName(c) == "t")
            out += c.text().get();
        else if (localName(c) == "r")
            out += child(c, "t").text().get();
    }
}

// "B12" -> (12, 2). False for anything malformed or outside the largest worksheet.
bool parseRef(std::string_view ref, std::uint32_t& row, std::uint32_t& col) {
    std::size_t i = 0;
    std::uint32_t c = 0;
    while (i < ref.size() &&
           ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
        if (i >= 3) return false;
        c = c * 26 + std::uint32_t((ref[i] | 0x20) - 'a' + 1);
        ++i;
    }
    if (i == 0 || c > 16384) return false;
    std::uint32_t r = 0;
    auto [end, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), r);
    if (ec != std::errc{} || end != ref.data() + ref.size() || r == 0 || r > 1048576) return false;
    row = r;
    col = c;
    return true;
}

std::string cellName(std::uint32_t row, std::uint32_t col) {
    std::string letters;
    for (std::uint32_t c = col; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    return "cell " + letters + std::to_string(row);
}

class XlsxReader {
  public:
    XlsxReader(ZipReader zip, const ReadLimits& limits, std::string label)
        : zip_(std::move(zip)), limits_(limits), label_(std::move(label)) {}

    core::Result<Workbook> run();

  private:
    Error damaged(const std::string& what) const {
        return Error::of(kSheetDamaged, label_ + ": damaged workbook (" + what + ")");
    }
    // Loads and parses one part; a missing part is an empty document when optional.
    core::Status load(const std::string& part, pugi::xml_document& doc, bool optional);
    core::Result<std::map<std::string, std::pair<std::string, std::string>>>
    relations(const std::string& part);
    core::Status loadSharedStrings(const std::string& part);
    core::Status loadStyles(const std::string& part);
    Error limit(const std::string& what) const {
        return Error::of(kSheetLimit, label_ + ": " + what);
    }

    ZipReader zip_;
    ReadLimits limits_;
    std::string label_;
    std::set<std::string> loaded_; // parts parsed so far: none is parsed twice
    std::uint64_t xmlBytes_ = 0;    // parse work spent on this workbook
    std::uint64_t markup_ = 0;
    std::vector<std::string> shared_;
    std::vector<bool> dateStyle_;
    bool date1904_ = false;
};

// Element and attribute counts of a part, before the parser builds anything for them.
std::uint64_t markupUnits(std::string_view xml) {
    std::uint64_t units = 0;
    for (std::size_t i = 0; i < xml.size(); ++i) {
        if (xml[i] == '<') {
            if (i + 1 < xml.size() && xml[i + 1] != '/') units += 2;
        } else if (xml[i] == '=') {
            units += 1;
        }
    }
    return units;
}

core::Status XlsxReader::load(const std::string& part, pugi::xml_document& doc, bool optional) {
    int index = zip_.find(part);
    if (index < 0) {
        if (optional) return {};
        return damaged("part \"" + part + "\" is missing");
    }
    // A part named again by another relationship (the worksheet pointing at the workbook part,
    // shared strings listed a hundred times) would be parsed again; a sound workbook never
    // needs that.
    if (!loaded_.insert(part).second)
        return damaged("part \"" + part + "\" is named for more than one role");
    const std::uint64_t size = zip_.entries()[std::size_t(index)].size;
    if (size > limits_.maxXmlBytes)
        return limit("part \"" + part + "\" is larger than " + std::to_string(limits_.maxXmlBytes) +
                     " bytes");
    xmlBytes_ += size;
    if (xmlBytes_ > limits_.maxTotalXmlBytes)
        return limit("the workbook's parts hold more than " +
                     std::to_string(limits_.maxTotalXmlBytes) + " bytes of XML");
    void* buffer = nullptr;
    std::size_t length = 0;
    {
        auto bytes = zip_.read(index);
        if (!bytes) return bytes.error();
        markup_ += markupUnits(*bytes);
        if (markup_ > limits_.maxMarkup)
            return limit("the workbook holds more elements and attributes than a workbook this "
                         "program reads (" +
                         std::to_string(limits_.maxMarkup) + ")");
        length = bytes->size();
        buffer = pugi::get_memory_allocation_function()(length ? length : 1);
        if (!buffer) return limit("not enough memory for part \"" + part + "\"");
        std::memcpy(buffer, bytes->data(), length);
    }
    // parse_doctype keeps a DOCTYPE as a node so that it can be refused; pugixml never expands
    // entities declared in one, but a DOCTYPE has no business in a workbook part.
    // parse_ws_pcdata_single keeps a text of blanks only (<t xml:space="preserve">   </t>).
    // parse_embed_pcdata keeps the text of <v> and <t> in their element rather than in a node of
    // its own. The buffer is parsed in place: no second copy of the part.
    auto res = doc.load_buffer_inplace_own(
        buffer, length,
        pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single |
            pugi::parse_embed_pcdata);
    if (!res) return damaged("part \"" + part + "\": " + res.description());
    for (auto n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            return Error::of(kSheetRefusedXml, label_ + ": part \"" + part +
                                                   "\" contains a DOCTYPE, which is refused");
    return {};
}

core::Result<std::map<std::string, std::pair<std::string, std::string>>>
XlsxReader::relations(const std::string& part) {
    std::string relsPart = dirOf(part) + "_rels/" + part.substr(dirOf(part).size()) + ".rels";
    pugi::xml_document doc;
    if (auto st = load(relsPart, doc, true); !st) return st.error();
    std::map<std::string, std::pair<std::string, std::string>> out; // id -> (type, resolved target)
    eachChild(child(doc, "Relationships"), "Relationship", [&](const pugi::xml_node& r) {
        std::string mode = attr(r, "TargetMode").value();
        if (mode == "External") return;
        out[attr(r, "Id").value()] = {attr(r, "Type").value(),
                                      resolvePart(dirOf(part), attr(r, "Target").value())};
    });
    return out;
}

core::Status XlsxReader::loadSharedStrings(const std::string& part) {
    pugi::xml_document doc;
    if (auto st = load(part, doc, false); !st) return st;
    std::uint64_t bytes = 0;
    for (auto si = child(child(doc, "sst"), "si"); si; si = si.next_sibling()) {
        if (si.type() != pugi::node_element || localName(si) != "si") continue;
        if (shared_.size() >= limits_.maxSharedStrings)
            return Error::of(kSheetLimit, label_ + ": more than " +
                                              std::to_string(limits_.maxSharedStrings) +
                                              " shared strings");
        std::string text;
        appendRichText(si, text);
        bytes += text.size();
        if (bytes > limits_.maxSharedStringBytes)
            return Error::of(kSheetLimit, label_ + ": the shared strings are too large");
        shared_.push_back(std::move(text));
    }
    return {};
}

core::Status XlsxReader::loadStyles(const std::string& part) {
    pugi::xml_document doc;
    if (auto st = load(part, doc, false); !st) return st;
    auto sheet = child(doc, "styleSheet");
    std::map<unsigned, bool> custom;
    eachChild(child(sheet, "numFmts"), "numFmt", [&](const pugi::xml_node& f) {
        custom[attr(f, "numFmtId").as_uint()] = isDateFormatCode(attr(f, "formatCode").value());
    });
    bool tooMany = false;
    eachChild(child(sheet, "cellXfs"), "xf", [&](const pugi::xml_node& xf) {
        if (dateStyle_.size() >= limits_.maxStyles) {
            tooMany = true;
            return;
        }
        unsigned id = attr(xf, "numFmtId").as_uint();
        auto it = custom.find(id);
        dateStyle_.push_back(it != custom.end() ? it->second : isBuiltInDateFormat(id));
    });
    if (tooMany) return Error::of(kSheetLimit, label_ + ": too many cell styles");
    return {};
}

core::Result<Workbook> XlsxReader::run() {
    // Package relations name the workbook part.
    std::string workbookPart;
    {
        auto rels = relations("");
        if (!rels) return rels.error();
        for (const auto& [id, rel] : *rels)
            if (endsWith(rel.first, "/officeDocument")) workbookPart = rel.second;
        if (workbookPart.empty()) workbookPart = "xl/workbook.xml";
    }
    pugi::xml_document wbDoc;
    if (auto st = load(workbookPart, wbDoc, false); !st) return st.error();
    auto wbRels = relations(workbookPart);
    if (!wbRels) return wbRels.error();

    auto workbook = child(wbDoc, "workbook");
    if (!workbook) return damaged("no workbook element");
    date1904_ = attr(child(workbook, "workbookPr"), "date1904").as_bool();
    unsigned activeTab =
        attr(child(child(workbook, "bookViews"), "workbookView"), "activeTab").as_uint(0);
    std::vector<pugi::xml_node> sheets;
    eachChild(child(workbook, "sheets"), "sheet",
              [&](const pugi::xml_node& s) { sheets.push_back(s); });
    if (sheets.empty()) return damaged("the workbook has no worksheet");
    if (activeTab >= sheets.size()) activeTab = 0;
    const pugi::xml_node sheetNode = sheets[activeTab];
    std::string sheetName = attr(sheetNode, "name").value();
    if (!core::text::isValidUtf8(sheetName))
        return damaged("the sheet name is not valid UTF-8");
    auto rel = wbRels->find(attr(sheetNode, "id").value());
    if (rel == wbRels->end()) return damaged("the active worksheet has no part");
    if (!endsWith(rel->second.first, "/worksheet"))
        return Error::of(kSheetUnknownFormat,
                         label_ + ": the active sheet \"" + sheetName + "\" is not a worksheet");
    const std::string sheetPart = rel->second.second;

    // A workbook has one shared-string table and one style sheet; further relationships of
    // those kinds are ignored rather than loaded again and again.
    bool haveStrings = false, haveStyles = false;
    for (const auto& [id, r] : *wbRels) {
        if (endsWith(r.first, "/sharedStrings") && !haveStrings) {
            haveStrings = true;
            if (auto st = loadSharedStrings(r.second); !st) return st.error();
        } else if (endsWith(r.first, "/styles") && !haveStyles) {
            haveStyles = true;
            if (auto st = loadStyles(r.second); !st) return st.error();
        }
    }

    pugi::xml_document sheetDoc;
    if (auto st = load(sheetPart, sheetDoc, false); !st) return st.error();
    const auto worksheet = child(sheetDoc, "worksheet");
    if (!worksheet)
        return damaged("the part of sheet \"" + sheetName + "\" holds no worksheet");
    auto data = child(worksheet, "sheetData");
    std::uint64_t textBytes = 0;

    std::vector<SheetCell> cells;
    std::uint32_t rowNo = 0;
    for (auto row = data.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element || localName(row) != "row") continue;
        if (auto r = attr(row, "r")) {
            std::uint32_t n = r.as_uint();
            if (n == 0 || n > 1048576) return damaged("row number out of range");
            rowNo = n;
        } else {
            if (++rowNo > 1048576) return damaged("too many rows");
        }
        std::uint32_t colNo = 0;
        for (auto c = row.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || localName(c) != "c") continue;
            if (auto ref = attr(c, "r")) {
                std::uint32_t r = 0, col = 0;
                if (!parseRef(ref.value(), r, col))
                    return damaged(std::string("bad cell reference \"") + ref.value() + "\"");
                if (r != rowNo) return damaged("cell outside its row");
                colNo = col;
            } else if (++colNo > 16384) {
                return damaged("too many columns");
            }
            std::string_view type = attr(c, "t").value();
            std::string text;
            if (type == "inlineStr") {
                appendRichText(child(c, "is"), text);
            } else {
                std::string_view v = child(c, "v").text().get();
                if (type == "s") {
                    unsigned long index = 0;
                    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), index);
                    if (ec != std::errc{} || end != v.data() + v.size() || index >= shared_.size())
                        return damaged("shared string index out of range");
                    text = shared_[index];
                } else if (type == "b") {
                    text = v == "1" || v == "true" ? "1" : "0";
                } else if (type == "str" || type == "e") {
                    text = v;
                } else if (type == "d") {
                    // ISO 8601 date cell: yyyy-mm-dd[Thh:mm...].
                    unsigned y = 0, m = 0, d = 0;
                    std::string iso(v);
                    if (std::sscanf(iso.c_str(), "%4u-%2u-%2u", &y, &m, &d) == 3) {
                        // Checked before narrowing: 65535 as a day must not wrap into range.
                        const core::Date date{std::uint8_t(d <= 31 ? d : 0),
                                              std::uint8_t(m <= 12 ? m : 0), std::uint16_t(y)};
                        if (d == 0 || d > 31 || m == 0 || m > 12 || !date.isValid())
                            return damaged("impossible date \"" + iso + "\" in " +
                                           cellName(rowNo, colNo));
                        text = dateText(date);
                    } else {
                        text = iso;
                    }
                } else if (!v.empty()) {
                    double num = 0;
                    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), num);
                    if (ec == std::errc::result_out_of_range ||
                        (ec == std::errc{} && end == v.data() + v.size() && !std::isfinite(num))) {
                        return damaged("the number \"" + std::string(v.substr(0, 40)) + "\" in " +
                                       cellName(rowNo, colNo) + " is not a finite number");
                    } else if (ec != std::errc{} || end != v.data() + v.size()) {
                        text = v; // not a number after all: keep what the file says
                    } else {
                        unsigned style = attr(c, "s").as_uint(0);
                        bool isDate = style < dateStyle_.size() && dateStyle_[style];
                        core::Date date =
                            isDate ? dateFromSerial(date1904_ ? num + 1462 : num) : core::Date{};
                        text = date.isSet() ? dateText(date) : numberText(num);
                    }
                }
            }
            if (text.empty()) continue;
            if (!core::text::isValidUtf8(text))
                return damaged(cellName(rowNo, colNo) + " holds text that is not valid UTF-8");
            textBytes += text.size();
            if (textBytes > limits_.maxCellTextBytes)
                return limit("the cells hold more than " +
                             std::to_string(limits_.maxCellTextBytes) + " bytes of text");
            if (cells.size() >= limits_.maxCells)
                return Error::of(kSheetLimit, label_ + ": the worksheet has more than " +
                                                  std::to_string(limits_.maxCells) +
                                                  " filled cells");
            cells.push_back(SheetCell{rowNo, colNo, std::move(text)});
        }
    }
    auto wb = Workbook::fromCells(std::move(cells), sheetName, limits_);
    if (!wb) return damaged(wb.error().text);
    return wb;
}

} // namespace

core::Result<Workbook> readXlsx(std::string bytes, const ReadLimits& limits,
                                const std::string& label) {
    auto zip = ZipReader::openBytes(std::move(bytes), limits.archive, label);
    if (!zip) {
        const core::Error& e = zip.error();
        int code =
            (e.code == kArchiveLimit || e.code == kArchiveTooLarge) ? kSheetLimit : kSheetDamaged;
        return Error::of(code, e.text);
    }
    XlsxReader reader(std::move(*zip), limits, label);
    return reader.run();
}

} // namespace hk::output
