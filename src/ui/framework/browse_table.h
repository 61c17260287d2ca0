#pragma once
// A browse source over a key range of a data file. A concrete list declares its columns (heading,
// width, picture, value), its key orders (key name and how the locator text goes into the key)
// and, for a dependent list, the range (the leading key components that stay fixed: the rights
// of one user, the members of one group). Rows are read in key order a page at a time; cells are
// formatted with the shared picture formatter.

#include "core/picture.h"
#include "data/keycodec.h"
#include "data/table.h"
#include "ui/framework/browse_model.h"

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace hk::ui {

using Cell = std::variant<std::string, double, core::Date>;

template <data::RecordStruct T> struct Column {
    QString heading;
    int width = 10;      // characters; 0 hides the column
    std::string picture; // "s30", "n_5", "d17", ...; empty shows text as it is
    std::function<Cell(const T&)> value;
};

template <data::RecordStruct T> struct KeyOrder {
    std::string key; // "Dusr:IdKey"
    // Puts the locator text into the key fields of a record that already holds the range's
    // fixed fields; false when the text cannot be a value of the key (letters for a number).
    std::function<bool(T&, const std::string&)> locate;
};

// The rows of a key range: records whose first `fixedParts` key components equal those of
// `low`. low/high are the first and last possible key values of the range (for text components
// blank and the highest text, for numbers the lowest and highest number).
template <data::RecordStruct T> struct KeyRange {
    T low;
    T high;
    std::size_t fixedParts = 0; // 0 = the whole file
};

template <data::RecordStruct T> class TableSource : public BrowseSource {
  public:
    TableSource(data::TypedTable<T> table, std::vector<KeyOrder<T>> orders,
                std::vector<Column<T>> columns)
        : t_(std::move(table)), orders_(std::move(orders)), columns_(std::move(columns)) {}

    // Row colours: called per record.
    std::function<std::optional<QColor>(const T&)> foreground;
    std::function<std::optional<QColor>(const T&)> background;

    // Rows the list leaves out (a query by example): records it refuses are read past, so a
    // page still holds n rows when there are that many.
    std::function<bool(const T&)> filter;

    void setRange(std::optional<KeyRange<T>> r) { range_ = std::move(r); }
    const std::optional<KeyRange<T>>& range() const { return range_; }

    static const T& record(const BrowseRow& row) {
        return *static_cast<const T*>(row.record.get());
    }

    std::vector<BrowseColumnInfo> columns() const override {
        std::vector<BrowseColumnInfo> out;
        for (const auto& c : columns_) {
            const bool number =
                !c.picture.empty() && (c.picture[0] == 'n' || c.picture[0] == 'N' ||
                                       (c.picture.size() > 1 && c.picture[0] == '@' &&
                                        (c.picture[1] == 'n' || c.picture[1] == 'N')));
            out.push_back({c.heading, c.width, number});
        }
        return out;
    }

    core::Result<std::vector<BrowseRow>> read(int order, const BrowseRow* anchor, bool forward,
                                              std::size_t n) override {
        const std::string& key = orders_.at(static_cast<std::size_t>(order)).key;
        core::Status st;
        if (anchor) {
            st = t_.set(key, forward ? data::Seek::AtOrAfter : data::Seek::AtOrBefore,
                        record(*anchor));
        } else if (range_ && range_->fixedParts > 0) {
            st = t_.set(key, forward ? data::Seek::AtOrAfter : data::Seek::AtOrBefore,
                        forward ? range_->low : range_->high);
        } else {
            st = t_.set(key, forward ? data::Seek::First : data::Seek::Last);
        }
        if (!st) return st.error();
        return collect(order, anchor ? &record(*anchor) : nullptr, forward, n);
    }

    core::Result<std::vector<BrowseRow>> locate(int order, const std::string& text,
                                                std::size_t n) override {
        const auto& o = orders_.at(static_cast<std::size_t>(order));
        T probe = range_ ? range_->low : T{};
        if (!o.locate || !o.locate(probe, text)) return std::vector<BrowseRow>{};
        if (auto st = t_.set(o.key, data::Seek::AtOrAfter, probe); !st) return st.error();
        return collect(order, nullptr, true, n);
    }

    core::Result<std::vector<BrowseRow>> from(int order, const BrowseRow& row,
                                              std::size_t n) override {
        const std::string& key = orders_.at(static_cast<std::size_t>(order)).key;
        if (auto st = t_.set(key, data::Seek::AtOrAfter, record(row)); !st) return st.error();
        return collect(order, nullptr, true, n);
    }

    data::TypedTable<T>& table() { return t_; }

  private:
    const data::KeyDef& keyDef(int order) {
        const auto& def = t_.table().def();
        const auto k = def.key(orders_.at(static_cast<std::size_t>(order)).key);
        return def.keys.at(*k);
    }

    // The key value of a record the list holds (the range's bounds, an anchor row); a record
    // that does not fit its layout is an error, not an empty key.
    core::Result<std::string> keyValue(const T& r, const data::KeyDef& k, std::size_t parts = 0) {
        data::Record rec(T::kLayout);
        if (auto st = data::toRecord(r, rec); !st) return st.error();
        const data::KeyFormat f = t_.table().keyFormat();
        return parts ? data::encodeKeyPrefix(rec, k, parts, f) : data::encodeKeyAlways(rec, k, f);
    }

    // Reads up to n records from the current position. With an anchor, records that sort with
    // it (the anchor itself and, under a key with duplicates, the equal ones before it) are
    // passed over.
    core::Result<std::vector<BrowseRow>> collect(int order, const T* anchor, bool forward,
                                                 std::size_t n) {
        const data::KeyDef& k = keyDef(order);
        std::optional<std::string> rangePrefix;
        if (range_ && range_->fixedParts > 0) {
            auto p = keyValue(range_->low, k, range_->fixedParts);
            if (!p) return p.error();
            rangePrefix = std::move(p.value());
        }
        std::string anchorKey;
        if (anchor) {
            auto a = keyValue(*anchor, k);
            if (!a) return a.error();
            anchorKey = std::move(a.value());
        }
        bool passedAnchor = anchor == nullptr;
        std::vector<BrowseRow> out;
        while (out.size() < n) {
            auto r = forward ? t_.next() : t_.previous();
            if (!r) {
                // only the end of the records ends the page; any other failure is reported
                if (data::is(r.error(), data::ErrorCode::NoRecord)) break;
                return r.error();
            }
            const T& rec = r.value();
            // the key value as the engine holds it for the record just read
            const std::string kv = t_.table().bookmark().keyValue;
            if (rangePrefix && kv.compare(0, rangePrefix->size(), *rangePrefix) != 0) break;
            if (!passedAnchor) {
                if (kv == anchorKey) {
                    if (rec == *anchor) passedAnchor = true;
                    continue;
                }
                passedAnchor = true; // the anchor is gone: everything beyond its key counts
            }
            if (filter && !filter(rec)) continue;
            out.push_back(makeRow(rec));
        }
        if (!forward) std::reverse(out.begin(), out.end());
        return out;
    }

    BrowseRow makeRow(const T& rec) {
        BrowseRow row;
        for (const auto& c : columns_)
            row.cells << show(c, rec);
        if (foreground) row.foreground = foreground(rec);
        if (background) row.background = background(rec);
        row.record = std::make_shared<const T>(rec);
        return row;
    }

    static QString show(const Column<T>& c, const T& rec) {
        const Cell v = c.value(rec);
        std::string out;
        if (const auto* s = std::get_if<std::string>(&v))
            out = c.picture.empty() ? *s : core::picture::format(*s, c.picture);
        else if (const auto* d = std::get_if<double>(&v))
            out = c.picture.empty() ? core::picture::format(*d, "n_12")
                                    : core::picture::format(*d, c.picture);
        else
            out = core::picture::format(std::get<core::Date>(v),
                                        c.picture.empty() ? "d17" : c.picture);
        return QString::fromStdString(out).trimmed();
    }

    data::TypedTable<T> t_;
    std::vector<KeyOrder<T>> orders_;
    std::vector<Column<T>> columns_;
    std::optional<KeyRange<T>> range_;
};

} // namespace hk::ui
