#pragma once
// The record dictionary: for every layout of layouts.h its fields with offsets, its keys and the
// relations between files. The tables are built once from the layout lists and never change, so
// they may be shared freely between threads.

#include "data/layouts.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hk::data {

enum class FieldType : std::uint8_t { BYTE, SHORT, LONG, REAL, DATE, TIME, STRING, CSTRING, GROUP };

// "BYTE", "SHORT", ... "STRING", "CSTRING", "GROUP".
std::string_view typeName(FieldType t);
bool isText(FieldType t);   // STRING or CSTRING
bool isNumber(FieldType t); // BYTE, SHORT, LONG, REAL

// Every layout, in the order of HK_LAYOUTS. The old layouts used by version conversion are
// FisDetA (133 bytes), FisDetB (248 bytes), FisBasOld (53 bytes) and YasalOld (2919 bytes).
enum class Layout : std::uint8_t {
#define HK_LAYOUT_ENUM(L, F, K, N, P) L,
    HK_LAYOUTS(HK_LAYOUT_ENUM)
#undef HK_LAYOUT_ENUM
};

struct FieldDef {
    std::string name; // without prefix: "HESAPKODU"
    FieldType type;
    std::uint32_t offset;     // in the binary record image
    std::uint32_t size;       // bytes of one element (n of STRING(n)); a group: all its fields
    std::uint32_t count;      // array length, 1 = not an array
    std::uint32_t groupCount; // GROUP only: the number of fields that follow inside it
    std::uint32_t slot;       // index of the first value in a Record (groups: none, = next field's)
    std::uint32_t totalSize() const { return size * count; }
    bool isArray() const { return count > 1; }
};

struct KeyPart {
    std::uint32_t field; // index into FileDef::fields
    bool descending;
};

struct KeyDef {
    std::string name; // "HSP:KeyHesap"
    std::vector<KeyPart> parts;
    bool primary, unique, caseInsensitive, optional;
};

struct FileDef {
    Layout layout;
    std::string layoutName; // "FisDet", "FisDetA", ...
    std::string file;       // logical file name: "FisDet", "XHs", "Hk", ...
    std::string prefix;     // "MFD"
    std::uint32_t recordLength;
    std::uint32_t slotCount; // values in a Record: one per array element, none for groups
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;

    // Field by name, with or without the prefix ("HESAPKODU", "HSP:HESAPKODU"); case as
    // declared. Groups are found too.
    std::optional<std::uint32_t> field(std::string_view name) const;
    // Key by its full name ("HSP:KeyHesap") or by the part after the colon ("KeyHesap"),
    // compared without regard to case.
    std::optional<std::uint32_t> key(std::string_view name) const;
    std::optional<std::uint32_t> primaryKey() const;
    // "HSP:HESAPKODU"
    std::string label(std::uint32_t field) const;
    // A text that changes whenever fields, types, sizes or keys change: stored with every table
    // to detect data written under another layout.
    std::string signature() const;
    // True when both layouts have the same fields (names, types, sizes, counts) in the same
    // order; keys may differ (a work file repeating another file's layout).
    bool sameFields(const FileDef& other) const;
};

const FileDef& fileDef(Layout l);
std::span<const FileDef> allLayouts();
// The current layout of a logical file name ("HsPlan", "KLUsers", ...), compared without regard
// to case; the old layouts are never returned.
const FileDef* currentLayout(std::string_view file);

// Parent-child relations enforced by the engine on update and delete of the parent.
enum class OnChange : std::uint8_t { Cascade, None };
enum class OnDelete : std::uint8_t { Refuse, Cascade, None };

struct RelationDef {
    Layout parent;
    Layout child;
    std::string childKey; // key of the child used to find the children
    // Linking fields, parent field name = child field name, in the order of the child key.
    std::vector<std::pair<std::string, std::string>> links;
    OnChange onChange;
    OnDelete onDelete;
};

std::span<const RelationDef> relations();

// One row of the field catalogue: the label with prefix, the type name and the size in bytes
// (of one element for arrays), in declaration order; groups are left out.
struct CatalogueField {
    std::string label; // "HSP:HESAPKODU"
    std::string type;  // "STRING", "REAL", ...
    std::uint32_t size;
    bool isArray;
};
std::vector<CatalogueField> catalogueFields(Layout l);

} // namespace hk::data
