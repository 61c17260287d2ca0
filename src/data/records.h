#pragma once
// The record structs, one per layout of layouts.h, named after the file (HsPlan, FisBas, FisDet,
// Yasal, KLUsers, ...) with members named after the fields (HESAPKODU, TLBORC). Text members are
// UTF-8 without trailing blanks; numbers are their C++ types; DATE/TIME are core::Date/Time;
// arrays are std::array, read by element number through element() and by fiscal month through
// month():
//
//     hk::data::HsPlan h;
//     hk::data::month(h.TLBORC, m) += amount;   // m = fiscal month 1..12
//
// Groups of the layout (MYA:YEVMIYE, MYA:KEBIR) are not members: their fields are.

#include "core/date.h"
#include "core/result.h"
#include "data/dictionary.h"
#include "data/record.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace hk::data {

namespace detail {
template <FieldType T> struct ScalarOf;
template <> struct ScalarOf<FieldType::BYTE> { using type = std::uint8_t; };
template <> struct ScalarOf<FieldType::SHORT> { using type = std::int16_t; };
template <> struct ScalarOf<FieldType::LONG> { using type = std::int32_t; };
template <> struct ScalarOf<FieldType::REAL> { using type = double; };
template <> struct ScalarOf<FieldType::DATE> { using type = core::Date; };
template <> struct ScalarOf<FieldType::TIME> { using type = core::Time; };
template <> struct ScalarOf<FieldType::STRING> { using type = std::string; };
template <> struct ScalarOf<FieldType::CSTRING> { using type = std::string; };

template <FieldType T, std::size_t N>
using MemberOf = std::conditional_t<N == 1, typename ScalarOf<T>::type,
                                    std::array<typename ScalarOf<T>::type, N>>;
} // namespace detail

// Element i (1-based) of an array field.
template <typename T, std::size_t N> T& element(std::array<T, N>& a, int i) {
    assert(i >= 1 && static_cast<std::size_t>(i) <= N);
    return a[static_cast<std::size_t>(i - 1)];
}
template <typename T, std::size_t N> const T& element(const std::array<T, N>& a, int i) {
    assert(i >= 1 && static_cast<std::size_t>(i) <= N);
    return a[static_cast<std::size_t>(i - 1)];
}
// Element of fiscal month m (1..12) of a monthly array.
template <typename T> T& month(std::array<T, 12>& a, int m) {
    return element(a, m);
}
template <typename T> const T& month(const std::array<T, 12>& a, int m) {
    return element(a, m);
}

#define HK_REC_MEMBER(NAME, TYPE, SIZE, COUNT) detail::MemberOf<FieldType::TYPE, COUNT> NAME{};
#define HK_REC_VISIT(NAME, TYPE, SIZE, COUNT) v(NAME);
#define HK_REC_NOGROUP(NAME, N)
#define HK_REC_STRUCT(L, FIELDS, KEYS, FILE, PREFIX)                                               \
    struct L {                                                                                     \
        static constexpr Layout kLayout = Layout::L;                                               \
        HK_FIELDS_##FIELDS(HK_REC_MEMBER, HK_REC_NOGROUP) template <typename V>                    \
        void visit(V&& v) {                                                                        \
            HK_FIELDS_##FIELDS(HK_REC_VISIT, HK_REC_NOGROUP)                                       \
        }                                                                                          \
        template <typename V> void visit(V&& v) const {                                            \
            HK_FIELDS_##FIELDS(HK_REC_VISIT, HK_REC_NOGROUP)                                       \
        }                                                                                          \
        friend bool operator==(const L&, const L&) = default;                                      \
    };
HK_LAYOUTS(HK_REC_STRUCT)
#undef HK_REC_STRUCT
#undef HK_REC_MEMBER
#undef HK_REC_VISIT
#undef HK_REC_NOGROUP

template <typename T>
concept RecordStruct = requires {
    T::kLayout;
};

namespace detail {
// Member <-> slot conversions; the text one checks cp1254 and width (record.cpp).
core::Status putText(const FileDef& d, std::uint32_t field, Value& slot, const std::string& s);
inline void putValue(Value& slot, std::uint8_t x) {
    slot.integer = x;
}
inline void putValue(Value& slot, std::int16_t x) {
    slot.integer = x;
}
inline void putValue(Value& slot, std::int32_t x) {
    slot.integer = x;
}
inline void putValue(Value& slot, double x) {
    slot.real = x;
}
inline void putValue(Value& slot, core::Date x) {
    slot.integer = packDate(x);
}
inline void putValue(Value& slot, core::Time x) {
    slot.integer = packTime(x);
}
// False (and the error in `st`) when a text is refused.
template <typename M>
bool put(const FileDef& d, std::uint32_t f, Value& slot, const M& m, core::Status& st) {
    if constexpr (std::is_same_v<M, std::string>) {
        auto r = putText(d, f, slot, m);
        if (!r) {
            st = std::move(r);
            return false;
        }
    } else {
        putValue(slot, m);
    }
    return true;
}

inline void take(const Value& s, std::string& x) {
    x = s.text;
}
inline void take(const Value& s, std::uint8_t& x) {
    x = static_cast<std::uint8_t>(s.integer);
}
inline void take(const Value& s, std::int16_t& x) {
    x = static_cast<std::int16_t>(s.integer);
}
inline void take(const Value& s, std::int32_t& x) {
    x = static_cast<std::int32_t>(s.integer);
}
inline void take(const Value& s, double& x) {
    x = s.real;
}
inline void take(const Value& s, core::Date& x) {
    x = unpackDate(s.integer);
}
inline void take(const Value& s, core::Time& x) {
    x = unpackTime(s.integer);
}

template <typename M> struct IsArray : std::false_type {};
template <typename E, std::size_t N> struct IsArray<std::array<E, N>> : std::true_type {};

// Walks the fields of a layout in order, skipping groups.
class FieldWalker {
  public:
    explicit FieldWalker(const FileDef& d) : d_(d) {}
    std::uint32_t next() {
        while (d_.fields[i_].type == FieldType::GROUP)
            ++i_;
        return i_++;
    }

  private:
    const FileDef& d_;
    std::uint32_t i_ = 0;
};
} // namespace detail

// Struct -> record buffer. Refuses a text with characters outside cp1254 or wider than its field,
// naming the field; the record is then partly filled and should not be written.
template <RecordStruct T> core::Status toRecord(const T& r, Record& out) {
    const FileDef& d = out.def();
    detail::FieldWalker walk(d);
    core::Status st;
    bool ok = true;
    r.visit([&](const auto& m) {
        const std::uint32_t f = walk.next();
        if (!ok) return;
        using M = std::decay_t<decltype(m)>;
        const std::uint32_t first = d.fields[f].slot;
        if constexpr (detail::IsArray<M>::value) {
            for (std::size_t i = 0; i < m.size() && ok; ++i)
                ok = detail::put(d, f, out.slot(first + static_cast<std::uint32_t>(i)), m[i], st);
        } else {
            ok = detail::put(d, f, out.slot(first), m, st);
        }
    });
    return st;
}

template <RecordStruct T> core::Result<Record> toRecord(const T& r) {
    Record rec(fileDef(T::kLayout));
    auto st = toRecord(r, rec);
    if (!st) return st.error();
    return rec;
}

// Record buffer -> struct. The record's layout must have the same fields as T (it may be the
// same layout or one that repeats it, like the voucher-line work file).
template <RecordStruct T> void fromRecord(const Record& in, T& r) {
    const FileDef& d = in.def();
    assert(d.sameFields(fileDef(T::kLayout)));
    detail::FieldWalker walk(d);
    r.visit([&](auto& m) {
        const std::uint32_t f = walk.next();
        using M = std::decay_t<decltype(m)>;
        if constexpr (detail::IsArray<M>::value) {
            for (std::size_t i = 0; i < m.size(); ++i)
                detail::take(in.slot(d.fields[f].slot + static_cast<std::uint32_t>(i)), m[i]);
        } else {
            detail::take(in.slot(d.fields[f].slot), m);
        }
    });
}

template <RecordStruct T> T fromRecord(const Record& in) {
    T r;
    fromRecord(in, r);
    return r;
}

// The exact binary record image of a struct, and back.
template <RecordStruct T> core::Result<std::string> toImage(const T& r) {
    auto rec = toRecord(r);
    if (!rec) return rec.error();
    return rec->toImage();
}
template <RecordStruct T> core::Result<T> fromImage(std::string_view image) {
    auto rec = Record::fromImage(fileDef(T::kLayout), image);
    if (!rec) return rec.error();
    return fromRecord<T>(*rec);
}

} // namespace hk::data
