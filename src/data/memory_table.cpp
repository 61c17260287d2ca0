// The memory engine for work files: records in a map by rowid, each key an ordered set of
// (key value, rowid) pairs in the same byte encoding as the SQLite engine, so both order alike.

#include "data/engine.h"
#include "data/keycodec.h"

#include <map>
#include <set>

namespace hk::data {

namespace {

using Entry = std::pair<std::string, std::int64_t>;

class MemoryTable final : public TableImpl {
  public:
    MemoryTable(const FileDef& d, std::string name)
        : TableImpl(d, std::move(name)), keys_(d.keys.size()) {}

    core::Status get(std::uint32_t key) override {
        const std::string kv = encodeKeyAlways(buffer_, def_->keys[key]);
        auto it = keys_[key].lower_bound({kv, kBeforeAll});
        if (it == keys_[key].end() || it->first != kv) return error(ErrorCode::NotFound);
        load(it->second, static_cast<int>(key), it->first);
        return {};
    }

    core::Status readRow(std::int64_t row) override {
        auto it = rows_.find(row);
        if (it == rows_.end()) return error(ErrorCode::NotFound);
        buffer_ = it->second;
        pos_.current = row;
        return {};
    }

    core::Status readStored(Record& out) override {
        auto it = rows_.find(pos_.current);
        if (pos_.current == 0 || it == rows_.end()) return error(ErrorCode::NoRecord);
        out = it->second;
        return {};
    }

    core::Status next() override { return step(true); }
    core::Status previous() override { return step(false); }

    core::Status add() override {
        if (auto st = buffer_.validate(); !st) return st;
        std::vector<std::optional<std::string>> kvs = keyValues(buffer_);
        for (std::size_t k = 0; k < kvs.size(); ++k)
            if (def_->keys[k].unique && kvs[k] && exists(k, *kvs[k], 0))
                return error(ErrorCode::DuplicateKey, def_->keys[k].name, 13);
        const std::int64_t id = ++lastRowid_;
        rows_.emplace(id, buffer_);
        for (std::size_t k = 0; k < kvs.size(); ++k)
            if (kvs[k]) keys_[k].insert({*kvs[k], id});
        pos_.current = id;
        return {};
    }

    core::Status append() override {
        // Work files are small: keys are kept up to date even here.
        return add();
    }

    core::Status rebuildKeys() override { return {}; }

    core::Status put() override {
        auto it = rows_.find(pos_.current);
        if (pos_.current == 0 || it == rows_.end()) return error(ErrorCode::NoRecord);
        if (auto st = buffer_.validate(); !st) return st;
        const auto oldKvs = keyValues(it->second);
        const auto newKvs = keyValues(buffer_);
        for (std::size_t k = 0; k < newKvs.size(); ++k)
            if (def_->keys[k].unique && newKvs[k] && exists(k, *newKvs[k], it->first))
                return error(ErrorCode::DuplicateKey, def_->keys[k].name, 13);
        for (std::size_t k = 0; k < oldKvs.size(); ++k) {
            if (oldKvs[k]) keys_[k].erase({*oldKvs[k], it->first});
            if (newKvs[k]) keys_[k].insert({*newKvs[k], it->first});
        }
        it->second = buffer_;
        return {};
    }

    core::Status erase() override {
        auto it = rows_.find(pos_.current);
        if (pos_.current == 0 || it == rows_.end()) return error(ErrorCode::NoRecord);
        const auto kvs = keyValues(it->second);
        for (std::size_t k = 0; k < kvs.size(); ++k)
            if (kvs[k]) keys_[k].erase({*kvs[k], it->first});
        rows_.erase(it);
        pos_.current = 0;
        return {};
    }

    core::Result<std::int64_t> count() override { return static_cast<std::int64_t>(rows_.size()); }

    core::Status empty() override {
        rows_.clear();
        for (auto& k : keys_)
            k.clear();
        pos_.current = 0;
        return {};
    }

  private:
    std::vector<std::optional<std::string>> keyValues(const Record& r) const {
        std::vector<std::optional<std::string>> out;
        out.reserve(def_->keys.size());
        for (const KeyDef& k : def_->keys)
            out.push_back(encodeKey(r, k));
        return out;
    }

    bool exists(std::size_t k, const std::string& kv, std::int64_t except) const {
        for (auto it = keys_[k].lower_bound({kv, kBeforeAll});
             it != keys_[k].end() && it->first == kv; ++it)
            if (it->second != except) return true;
        return false;
    }

    void load(std::int64_t id, int key, const std::string& kv) {
        buffer_ = rows_.at(id);
        pos_.key = key;
        pos_.kv = kv;
        pos_.rowid = id;
        pos_.atEnd = false;
        pos_.current = id;
    }

    core::Status step(bool forward) {
        if (pos_.key == -2) return error(ErrorCode::NoRecord, "sıra belirlenmedi");
        if (pos_.key == -1) {
            std::map<std::int64_t, Record>::iterator it;
            if (forward) {
                if (pos_.atEnd) return error(ErrorCode::NoRecord);
                it = rows_.upper_bound(pos_.rowid);
                if (it == rows_.end()) return error(ErrorCode::NoRecord);
            } else {
                it = pos_.atEnd ? rows_.end() : rows_.lower_bound(pos_.rowid);
                if (it == rows_.begin()) return error(ErrorCode::NoRecord);
                --it;
            }
            buffer_ = it->second;
            pos_.rowid = it->first;
            pos_.atEnd = false;
            pos_.current = it->first;
            return {};
        }
        auto& set = keys_[static_cast<std::size_t>(pos_.key)];
        std::set<Entry>::iterator it;
        if (forward) {
            if (pos_.atEnd) return error(ErrorCode::NoRecord);
            it = set.upper_bound({pos_.kv, pos_.rowid});
            if (it == set.end()) return error(ErrorCode::NoRecord);
        } else {
            it = pos_.atEnd ? set.end() : set.lower_bound({pos_.kv, pos_.rowid});
            if (it == set.begin()) return error(ErrorCode::NoRecord);
            --it;
        }
        const Entry e = *it;
        load(e.second, pos_.key, e.first);
        return {};
    }

    std::map<std::int64_t, Record> rows_;
    std::vector<std::set<Entry>> keys_;
    std::int64_t lastRowid_ = 0;
};

} // namespace

std::unique_ptr<TableImpl> makeMemoryTable(const FileDef& d, std::string name) {
    return std::make_unique<MemoryTable>(d, std::move(name));
}

} // namespace hk::data
