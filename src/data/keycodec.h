#pragma once
// Key values as bytes whose memcmp order is the key order. Both engines store and compare keys
// only in this form, so ordering is the same everywhere.
//
// Per component, concatenated:
//   text     the characters of core::text::sortKey (upper-cased first for a case-insensitive
//            key; trailing blanks dropped), then an end mark, so a shorter text sorts before any
//            longer one it begins and components never run into each other. Two forms:
//            compact  a cp1254 character of rank r as the one byte r + 1 when r < 0xFD, else
//                     0xFE r; another code point 0xFF 0x01 and its three bytes; a byte that is no
//                     UTF-8 0xFF 0x02 and the byte; the end mark 0x00. What a character takes
//                     is known from its first byte, so two keys equal up to a byte are at the
//                     same place in their texts.
//            escaped  the sortKey bytes themselves (0x00 rank, ...), every 0x00 written as
//                     0x00 0xFF, the end mark 0x00 0x00: three bytes for most characters.
//   BYTE     1 byte; SHORT/LONG big-endian with the sign bit flipped
//   REAL     IEEE bits big-endian, sign bit flipped for positives, all bits inverted for
//            negatives (-0 taken as 0)
//   DATE     year (2 bytes big-endian), month, day; TIME hour, minute, second, hundredth
// A descending component has all its bytes inverted. An optional key whose components are all
// blank or zero has no value (not indexed).
//
// Both forms order every key the same way. A database keeps the form it was made with (its
// key columns hold it; `Database` reads which from the file): databases made by this version
// and every memory work file use the compact form, those made earlier the escaped one.

#include "data/dictionary.h"
#include "data/record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hk::data {

enum class KeyFormat : std::uint8_t { Escaped = 0, Compact = 1 };

// The key value of a record; nullopt when the key is optional and every component is blank/zero.
std::optional<std::string> encodeKey(const Record& r, const KeyDef& key, KeyFormat f);
// The key value ignoring the optional attribute (what a get/set searches for).
std::string encodeKeyAlways(const Record& r, const KeyDef& key, KeyFormat f);

// The encoding of the first `parts` components only: every key value of a record whose first
// components equal these starts with exactly these bytes.
std::string encodeKeyPrefix(const Record& r, const KeyDef& key, std::size_t parts, KeyFormat f);
// The smallest byte string above every string that starts with `prefix` (empty when there is
// none, i.e. the prefix is all 0xFF bytes).
std::string prefixEnd(std::string prefix);

} // namespace hk::data
