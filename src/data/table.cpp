#include "data/table.h"

#include "data/database.h"
#include "data/engine.h"
#include "data/keycodec.h"
#include "data/seat.h"

#include <algorithm>

namespace hk::data {

core::Status TableImpl::set(std::uint32_t key, Seek s) {
    if (key >= def_->keys.size()) return error(ErrorCode::BadKey, "anahtar yok");
    pos_.key = static_cast<int>(key);
    pos_.atEnd = false;
    pos_.current = 0;
    switch (s) {
    case Seek::First:
        pos_.kv.clear();
        pos_.rowid = kBeforeAll;
        break;
    case Seek::Last:
        pos_.atEnd = true;
        break;
    case Seek::AtOrAfter:
        pos_.kv = encodeKeyAlways(buffer_, def_->keys[key], keyFormat());
        pos_.rowid = kBeforeAll;
        break;
    case Seek::AtOrBefore:
        pos_.kv = encodeKeyAlways(buffer_, def_->keys[key], keyFormat());
        pos_.rowid = kAfterAll;
        break;
    }
    positionChanged();
    return {};
}

core::Status TableImpl::setPhysical() {
    pos_ = Position{};
    pos_.key = -1;
    positionChanged();
    return {};
}

Bookmark TableImpl::bookmark() const {
    if (pos_.current == 0 || pos_.key == -2) return {};
    return Bookmark{pos_.key, pos_.kv, pos_.current};
}

core::Status TableImpl::restore(const Bookmark& b) {
    if (!b.valid() || b.key >= static_cast<int>(def_->keys.size()))
        return error(ErrorCode::NoRecord, "geçersiz yer imi");
    pos_.key = b.key;
    pos_.kv = b.keyValue;
    pos_.rowid = b.row;
    pos_.atEnd = false;
    pos_.current = 0;
    positionChanged();
    return {};
}

core::Status TableImpl::seat(const Bookmark& b) {
    if (auto st = restore(b); !st) return st;
    pos_.current = b.row;
    // The caller vouches for the buffer: whole unless reads are narrowed now.
    notePartial();
    return {};
}

Table::Table() = default;
Table::Table(std::unique_ptr<TableImpl> impl) : impl_(std::move(impl)) {}
Table::~Table() = default;
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;

Table Table::memory(const FileDef& layout, std::string name) {
    return Table(makeMemoryTable(layout, std::move(name)));
}

namespace {
const FileDef& closedDef() {
    return fileDef(Layout::Version);
}
const std::string& closedName() {
    static const std::string n;
    return n;
}
} // namespace

core::Error notOpenError() {
    return engineError(ErrorCode::NotOpen, {}, {}, 39);
}

const FileDef& Table::def() const {
    return impl_ ? impl_->def() : closedDef();
}
KeyFormat Table::keyFormat() const {
    return impl_ ? impl_->keyFormat() : KeyFormat::Compact;
}
const std::string& Table::name() const {
    return impl_ ? impl_->name() : closedName();
}

Record& Table::buffer() {
    assert(impl_);
    return impl_->buffer();
}
const Record& Table::buffer() const {
    assert(impl_);
    return impl_->buffer();
}
void Table::clear() {
    if (impl_) impl_->buffer().clear();
}

core::Status Table::get(std::string_view key) {
    if (!impl_) return notOpenError();
    auto k = impl_->def().key(key);
    if (!k)
        return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok: " + std::string(key));
    return read(impl_->get(*k));
}
core::Status Table::get(std::uint32_t key) {
    if (!impl_) return notOpenError();
    if (key >= impl_->def().keys.size())
        return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok");
    return read(impl_->get(key));
}
core::Status Table::set(std::string_view key, Seek from) {
    if (!impl_) return notOpenError();
    auto k = impl_->def().key(key);
    if (!k)
        return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok: " + std::string(key));
    return impl_->set(*k, from);
}
core::Status Table::set(std::uint32_t key, Seek from) {
    if (!impl_) return notOpenError();
    return impl_->set(key, from);
}
core::Status Table::setPhysical() {
    return impl_ ? impl_->setPhysical() : notOpenError();
}
Bookmark Table::bookmark() const {
    return impl_ ? impl_->bookmark() : Bookmark{};
}
core::Status Table::restore(const Bookmark& b) {
    return impl_ ? impl_->restore(b) : notOpenError();
}
core::Status Table::reget(const Bookmark& b) {
    if (!impl_) return notOpenError();
    if (auto st = impl_->restore(b); !st) return st;
    return read(impl_->readRow(b.row));
}
core::Status Table::next() {
    return impl_ ? read(impl_->next()) : notOpenError();
}
core::Status Table::previous() {
    return impl_ ? read(impl_->previous()) : notOpenError();
}
core::Status Table::add() {
    if (!impl_) return notOpenError();
    if (impl_->narrowed()) return narrowedWrite(4);
    auto st = impl_->add();
    if (st) impl_->notePartial(); // the buffer added is whole
    return st;
}
core::Result<std::int64_t> Table::count() {
    if (!impl_) return notOpenError();
    return impl_->count();
}
core::Status Table::empty() {
    return impl_ ? impl_->empty() : notOpenError();
}
core::Status Table::append() {
    if (!impl_) return notOpenError();
    if (impl_->narrowed()) return narrowedWrite(4);
    return impl_->append();
}
core::Status Table::rebuildKeys() {
    if (!impl_) return notOpenError();
    if (impl_->narrowed()) return narrowedWrite(26);
    return impl_->rebuildKeys();
}

core::Status Table::narrowTo(std::vector<std::uint32_t> fields) {
    if (!impl_) return notOpenError();
    const FileDef& d = impl_->def();
    if (fields.empty()) return engineError(ErrorCode::BadValue, impl_->name(), "okunacak alan yok");
    for (std::uint32_t f : fields)
        if (f >= d.fields.size())
            return engineError(ErrorCode::BadValue, impl_->name(), "alan yok: " + std::to_string(f));
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    impl_->setReadFields(std::move(fields));
    return {};
}

core::Status Table::narrowTo(std::initializer_list<std::string_view> names) {
    if (!impl_) return notOpenError();
    std::vector<std::uint32_t> fields;
    for (std::string_view n : names) {
        auto f = impl_->def().field(n);
        if (!f) return engineError(ErrorCode::BadValue, impl_->name(), "alan yok: " + std::string(n));
        fields.push_back(*f);
    }
    return narrowTo(std::move(fields));
}

void Table::widen() {
    if (impl_ && impl_->narrowed()) impl_->setReadFields({});
}

const std::vector<std::uint32_t>& Table::readFields() const {
    static const std::vector<std::uint32_t> none;
    return impl_ ? impl_->readFields() : none;
}

core::Status Table::read(core::Status st) {
    if (st) impl_->notePartial();
    return st;
}

core::Error Table::narrowedWrite(int message) const {
    return engineError(ErrorCode::EngineError, impl_->name(),
                       "kayıt alanları daraltılarak okundu: yazılamaz", message);
}
core::Status Table::deferIndexes() {
    return impl_ ? impl_->deferIndexes() : notOpenError();
}
core::Status Table::restoreIndexes() {
    return impl_ ? impl_->restoreIndexes() : notOpenError();
}

namespace {

// Reads on from where `t` was positioned while `inRange` accepts the key value read; the last
// record read stays the current one.
core::Status scanFrom(Table& t, Direction d, const std::function<bool(const std::string&)>& inRange,
                      const ScanVisitor& visit) {
    for (;;) {
        core::Status st = d == Direction::Forward ? t.next() : t.previous();
        if (!st) return is(st.error(), ErrorCode::NoRecord) ? core::Status{} : st;
        if (!inRange(t.bookmark().keyValue)) return {};
        auto go = visit();
        if (!go) return go.error();
        if (!go.value()) return {};
    }
}

} // namespace

core::Status Table::scan(std::string_view key, const Record& from, const Record& to,
                         const ScanVisitor& visit, Direction d) {
    if (!impl_) return notOpenError();
    auto k = impl_->def().key(key);
    if (!k)
        return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok: " + std::string(key));
    const KeyDef& kd = impl_->def().keys[*k];
    const std::string lo = encodeKeyAlways(from, kd, impl_->keyFormat()),
                      hi = encodeKeyAlways(to, kd, impl_->keyFormat());
    if (d == Direction::Forward) {
        impl_->seek(*k, lo, kBeforeAll);
        auto upToHi = [&hi](const std::string& kv) { return kv <= hi; };
        return scanFrom(*this, d, upToHi, visit);
    }
    impl_->seek(*k, hi, kAfterAll);
    auto downToLo = [&lo](const std::string& kv) { return kv >= lo; };
    return scanFrom(*this, d, downToLo, visit);
}

core::Status Table::scanPrefix(std::string_view key, const Record& prefix, std::size_t parts,
                               const ScanVisitor& visit, Direction d) {
    if (!impl_) return notOpenError();
    auto k = impl_->def().key(key);
    if (!k)
        return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok: " + std::string(key));
    const std::string lo =
        encodeKeyPrefix(prefix, impl_->def().keys[*k], parts, impl_->keyFormat());
    const std::string end = prefixEnd(lo); // empty: no value above the prefix
    auto inRange = [&](const std::string& kv) { return kv.compare(0, lo.size(), lo) == 0; };
    if (d == Direction::Forward) {
        impl_->seek(*k, lo, kBeforeAll);
        // The engine need not read past the prefix; the bound goes with the scan, so that a
        // next() after it reads on as ever.
        impl_->boundForward(end);
        auto st = scanFrom(*this, d, inRange, visit);
        if (impl_) impl_->boundForward({});
        return st;
    }
    if (end.empty())
        impl_->seek(*k, {}, kAfterAll, true);
    else
        impl_->seek(*k, end, kBeforeAll);
    return scanFrom(*this, d, inRange, visit);
}

core::Status Table::readWhere(std::string_view key, std::string_view field, std::string_view value,
                              const MatchVisitor& visit) {
    if (!impl_) return notOpenError();
    const FileDef& d = impl_->def();
    auto k = d.key(key);
    if (!k) return engineError(ErrorCode::BadKey, impl_->name(), "anahtar yok: " + std::string(key));
    auto f = d.field(field);
    if (!f || d.fields[*f].isArray() || !isText(d.fields[*f].type))
        return engineError(ErrorCode::BadValue, impl_->name(), "metin alanı yok: " + std::string(field));
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    auto served = impl_->selectEqual(*k, *f, value, visit);
    if (!served) return served.error();
    if (*served) return {};
    const std::uint32_t slot = d.fields[*f].slot;
    if (auto st = impl_->set(*k, Seek::First); !st) return st;
    for (;;) {
        if (auto st = impl_->next(); !st) {
            if (is(st.error(), ErrorCode::NoRecord)) return {};
            return st;
        }
        impl_->notePartial();
        std::string_view v = impl_->buffer().slot(slot).text;
        while (!v.empty() && v.back() == ' ')
            v.remove_suffix(1);
        if (v != value) continue;
        auto go = visit(impl_->buffer(), impl_->bookmark());
        if (!go) return go.error();
        if (!*go) return {};
    }
}

core::Status Table::scanWhere(std::string_view key, std::string_view field, std::string_view value,
                              const MatchVisitor& visit) {
    std::vector<std::pair<Bookmark, Record>> found;
    auto st =
        readWhere(key, field, value, [&](const Record& r, const Bookmark& b) -> core::Result<bool> {
            found.emplace_back(b, r);
            return true;
        });
    if (!st) return st;
    for (const auto& [mark, rec] : found) {
        auto go = visit(rec, mark);
        if (!go) return go.error();
        if (!go.value()) break;
    }
    return {};
}

core::Result<Transaction> Table::begin() {
    if (!impl_) return notOpenError();
    Transaction tx(impl_->connection());
    if (!tx.started()) return tx.started().error();
    return core::Result<Transaction>(std::move(tx));
}

core::Status seat(Table& t, const Bookmark& b) {
    if (!t.isOpen()) return notOpenError();
    return t.impl()->seat(b);
}

} // namespace hk::data
