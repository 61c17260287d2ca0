#pragma once
// Key values as bytes whose memcmp order is the key order. Both engines store and compare keys
// only in this form, so ordering is the same everywhere.
//
// Per component, concatenated:
//   text     core::text::sortKey (upper-cased first for a case-insensitive key), every 0x00 byte
//            written as 0x00 0xFF and the component ended by 0x00 0x00, so a shorter text sorts
//            before any longer one it begins and components never run into each other
//   BYTE     1 byte; SHORT/LONG big-endian with the sign bit flipped
//   REAL     IEEE bits big-endian, sign bit flipped for positives, all bits inverted for
//            negatives (-0 taken as 0)
//   DATE     year (2 bytes big-endian), month, day; TIME hour, minute, second, hundredth
// A descending component has all its bytes inverted. An optional key whose components are all
// blank or zero has no value (not indexed).

#include "data/dictionary.h"
#include "data/record.h"

#include <optional>
#include <string>

namespace hk::data {

// The key value of a record; nullopt when the key is optional and every component is blank/zero.
std::optional<std::string> encodeKey(const Record& r, const KeyDef& key);
// The key value ignoring the optional attribute (what a get/set searches for).
std::string encodeKeyAlways(const Record& r, const KeyDef& key);

// The encoding of the first `parts` components only: every key value of a record whose first
// components equal these starts with exactly these bytes.
std::string encodeKeyPrefix(const Record& r, const KeyDef& key, std::size_t parts);
// The smallest byte string above every string that starts with `prefix` (empty when there is
// none, i.e. the prefix is all 0xFF bytes).
std::string prefixEnd(std::string prefix);

} // namespace hk::data
