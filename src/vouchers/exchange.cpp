#include "vouchers/exchange.h"

#include "core/numeric.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "output/atomic_file.h"
#include "vouchers/csv.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <memory>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace hk::vouchers {

namespace text = core::text;

namespace {

enum Col {
    cVoucher, cDate, cType, cAttribute, cAccount, cDescription, cDebit, cCredit, cAmount,
    cQuantity, cCurrency, cDocType, cDocNo, cDocDate, cDocDesc, cDocDesc2, cCount
};
constexpr std::array<const char*, cCount> kColumns = {
    "voucher",  "date",     "type",          "attribute",     "account",
    "description", "debit", "credit",        "amount",        "quantity",
    "currency_amount", "document_type", "document_no", "document_date",
    "document_description", "document_description2"};

// The document types the voucher form offers, stored as shown.
constexpr std::array<const char*, 8> kDocumentTypes = {
    "Fatura", "Müşteri siparişi", "Satıcı siparişi", "Çek", "Senet", "Makbuz", "Navlun", "Diğer"};

struct Account {
    std::string code, ntlk, name1, name2;
    std::uint32_t index = 0;
};

struct Row {
    long line = 0;
    bool extra = false; // an extra description line of the amount line before it
    std::string account, description;
    Account* chart = nullptr; // the account found in the chart
    double debit = 0, credit = 0, quantity = 0, currency = 0;
};

struct Voucher {
    std::string id;
    long line = 0;
    core::Date date;
    std::string type = "M", attribute = "N";
    Document doc;
    std::vector<Row> rows;
    bool bad = false;
};

// A checked voucher of the file whose lines wait to be written, held compactly (a million lines
// wait until the end of the file): its header is written at once, in the file's order.
struct PendingLine {
    std::uint32_t account = 0; // 1 + its index in Importer::accounts_; 0: an extra description
    std::uint32_t text = 0;    // the description, in Importer::texts_
    std::uint16_t size = 0;
    bool debit = false;        // the side of `amount`, and of a quantity and a currency amount
    bool quantity = false, currency = false; // the next value of Importer::values_ is one
    double amount = 0;
};
struct PendingVoucher {
    std::string key;
    std::uint8_t month = 0;
    std::int16_t number = 0;
    char type = 'M';
    std::uint16_t attribute = 0; // into Importer::kinds_
    core::Date date;
    std::uint32_t doc = 0;   // into Importer::docs_; 0: no document fields
    std::uint32_t first = 0; // its lines: Importer::lines_[first, first + count)
    std::uint32_t count = 0;
    std::uint32_t values = 0; // its quantities and currency amounts from Importer::values_[values]
};

// A sequence in blocks that never move and are each one allocation large enough to go back to
// the system when the sequence is cleared.
template <class T>
class Blocks {
  public:
    void push_back(const T& v) {
        if (blocks_.empty() || blocks_.back().size() == kBlock) {
            blocks_.emplace_back();
            blocks_.back().reserve(kBlock);
        }
        blocks_.back().push_back(v);
        ++size_;
    }
    const T& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() {
        decltype(blocks_)().swap(blocks_);
        size_ = 0;
    }

  private:
    static constexpr std::size_t kBlock = 65536;
    std::vector<std::vector<T>> blocks_;
    std::size_t size_ = 0;
};

// The descriptions of the waiting lines, in blocks that never move.
class TextStore {
  public:
    std::uint32_t add(std::string_view t) {
        if (t.empty()) return 0;
        if (used_ + t.size() > kBlock) {
            blocks_.push_back(std::make_unique<char[]>(kBlock));
            used_ = 0;
        }
        const std::size_t at = (blocks_.size() - 1) * kBlock + used_;
        std::memcpy(blocks_.back().get() + used_, t.data(), t.size());
        used_ += t.size();
        return static_cast<std::uint32_t>(at);
    }
    std::string_view at(std::uint32_t at, std::uint16_t size) const {
        if (size == 0) return {};
        return {blocks_[at / kBlock].get() + at % kBlock, size};
    }
    void clear() {
        decltype(blocks_)().swap(blocks_);
        used_ = kBlock;
    }

  private:
    static constexpr std::size_t kBlock = 1 << 20; // a description is at most 50 characters
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = kBlock;
};

class Importer {
  public:
    Importer(Env& env, Books& b) : env_(env), b_(b) {}

    core::Status load() {
        auto y = b_.readCompany();
        if (!y) return y.error();
        y_ = *y;
        if (auto st = b_.plan.set("HSP:KeyHesap"); !st) return st;
        while (auto h = b_.plan.next()) {
            std::string code = text::clip(h->HESAPKODU);
            auto [a, added] = chart_.emplace(
                code, Account{code, text::clip(h->NTLK), h->HESAPAD1, h->HESAPAD2});
            if (added) {
                a->second.index = static_cast<std::uint32_t>(accounts_.size());
                accounts_.push_back(&a->second);
            }
        }
        for (const char* a : {"N", "ACF", "KPF", "IPT", "YAN"}) attributes_.insert(a);
        auto nit = env_.data.open<data::Nitelik>();
        if (nit && nit->setPhysical())
            while (auto n = nit->next()) attributes_.insert(text::upperTr(text::clip(n->FISNTLK)));
        return loadKeys();
    }

    core::Status loadKeys() {
        keys_.clear();
        if (auto st = b_.heads.set("MFB:KeyFis"); !st) return st;
        while (auto h = b_.heads.next()) keys_.insert(h->KEYSTR);
        return {};
    }

    // One pass over the file: checking (write = false) or writing.
    core::Status pass(const std::filesystem::path& file, bool write) {
        writing_ = write;
        auto reader = csv::Reader::open(file);
        if (!reader) return reader.error();
        auto head = reader->header();
        if (!head) return head.error();
        sep_ = reader->separator();
        if (auto st = mapColumns(*head); !st) return st;
        std::vector<std::string> f;
        long line = 0;
        Voucher cur;
        std::unordered_set<std::string> seen;
        for (;;) {
            auto more = reader->next(f, line);
            if (!more) {
                error(0, more.error().text);
                break;
            }
            if (!*more) break;
            ++rows_;
            if (rows_ % 20000 == 0)
                env_.ui.progress(std::to_string(rows_) + ". satır " +
                                     (write && errorCount_ == 0 ? "yazılıyor" : "denetleniyor"),
                                 -1);
            if (f.size() != head->size()) {
                error(line, "sütun sayısı başlıktaki " + std::to_string(head->size()) +
                                " değil, " + std::to_string(f.size()));
                continue;
            }
            const std::string id = text::trim(field(f, cVoucher));
            if (id.empty()) {
                error(line, "voucher boş");
                continue;
            }
            if (id != cur.id) {
                if (!cur.id.empty())
                    if (auto st = finish(cur); !st) return st;
                if (!seen.insert(id).second)
                    error(line, "\"" + id + "\" fişinin satırları art arda değil");
                cur = Voucher{};
                cur.id = id;
                cur.line = line;
                startVoucher(cur, f, line);
            } else {
                sameVoucher(cur, f, line);
            }
            addRow(cur, f, line);
        }
        if (!cur.id.empty())
            if (auto st = finish(cur); !st) return st;
        return {};
    }

    core::Status finishWriting() {
        if (auto st = writeLines(); !st) return st;
        if (deferred_)
            if (auto st = b_.lines.table().restoreIndexes(); !st) return st;
        addSumsToBatch();
        if (auto st = batch_.apply(b_.plan); !st) return st;
        if (auto st = b_.readCompany(); !st) return st.error();
        return b_.writeCompany(y_);
    }

    long errors() const { return errorCount_; }
    const std::vector<std::string>& errorTexts() const { return errors_; }
    long vouchers() const { return vouchers_; }
    long rows() const { return rows_; }
    void resetCounts() {
        vouchers_ = 0;
        rows_ = 0;
    }
    data::Yasal& company() { return y_; }

  private:
    void error(long line, const std::string& why) {
        ++errorCount_;
        if (errors_.size() < kMaxReportedErrors)
            errors_.push_back(line > 0 ? "satır " + std::to_string(line) + ": " + why : why);
    }

    const std::string& field(const std::vector<std::string>& f, Col c) const {
        static const std::string none;
        return index_[c] < 0 ? none : f[static_cast<std::size_t>(index_[c])];
    }

    core::Status mapColumns(const std::vector<std::string>& head) {
        index_.fill(-1);
        std::string problems;
        for (std::size_t i = 0; i < head.size(); ++i) {
            const std::string name = text::lowerTr(text::trim(head[i]));
            int found = -1;
            for (int c = 0; c < cCount; ++c)
                if (name == kColumns[static_cast<std::size_t>(c)]) found = c;
            if (found < 0) {
                problems += "\nsatır 1: bilinmeyen sütun \"" + head[i] + "\"";
                continue;
            }
            if (index_[static_cast<std::size_t>(found)] >= 0)
                problems += "\nsatır 1: \"" + name + "\" sütunu iki kez var";
            index_[static_cast<std::size_t>(found)] = static_cast<int>(i);
        }
        for (Col c : {cVoucher, cDate, cAccount})
            if (index_[c] < 0)
                problems += std::string("\nsatır 1: \"") + kColumns[c] + "\" sütunu gerekli";
        const bool sides = index_[cDebit] >= 0 || index_[cCredit] >= 0;
        if (sides == (index_[cAmount] >= 0))
            problems += "\nsatır 1: tutarlar ya \"debit\" ve \"credit\" ya da tek \"amount\" "
                        "sütununda olmalı";
        if (!problems.empty()) return core::Error::badInput(problems.substr(1));
        return {};
    }

    bool textOk(long line, const std::string& what, const std::string& t, std::size_t width) {
        if (!text::isCp1254(t)) {
            error(line, what + ": Türkçe kod sayfasında olmayan karakter");
            return false;
        }
        for (unsigned char c : t)
            if (c < 0x20 || c == 0x7F) {
                // Records hold no control characters (a line break inside a quoted field).
                error(line, what + ": kontrol karakteri (satır sonu, sekme) olamaz");
                return false;
            }
        if (text::length(t) > width) {
            error(line, what + " en çok " + std::to_string(width) + " karakter olabilir");
            return false;
        }
        return true;
    }

    void startVoucher(Voucher& v, const std::vector<std::string>& f, long line) {
        const std::string date = text::trim(field(f, cDate));
        if (date.empty()) {
            error(line, "date boş");
            v.bad = true;
        } else if (auto d = csv::parseDate(date); !d) {
            error(line, d.error().text);
            v.bad = true;
        } else {
            v.date = *d;
        }
        const std::string type = text::upperTr(text::trim(field(f, cType)));
        if (!type.empty()) v.type = type;
        if (v.type != "M" && v.type != "A" && v.type != "E") {
            error(line, "type M, A ya da E olmalı: \"" + type + "\"");
            v.bad = true;
        }
        const std::string attr = text::upperTr(text::trim(field(f, cAttribute)));
        if (!attr.empty()) v.attribute = attr;
        if (!attributes_.count(v.attribute)) {
            error(line, "bilinmeyen fiş niteliği \"" + v.attribute + "\"");
            v.bad = true;
        }
        v.doc.type = text::trim(field(f, cDocType));
        v.doc.number = text::trim(field(f, cDocNo));
        v.doc.description = text::trim(field(f, cDocDesc));
        v.doc.description2 = text::trim(field(f, cDocDesc2));
        const std::string dd = text::trim(field(f, cDocDate));
        if (!dd.empty()) {
            if (auto d = csv::parseDate(dd)) v.doc.date = *d;
            else error(line, "document_date: " + d.error().text);
        }
        if (!v.doc.type.empty()) {
            bool known = false;
            for (const char* t : kDocumentTypes) known = known || v.doc.type == t;
            if (!known) error(line, "bilinmeyen belge tipi \"" + v.doc.type + "\"");
        }
        textOk(line, "document_no", v.doc.number, 20);
        textOk(line, "document_description", v.doc.description, 30);
        textOk(line, "document_description2", v.doc.description2, 20);
        if (v.doc.type == "Diğer" && v.doc.description.empty())
            error(line, "belge tipi Diğer ise document_description boş olamaz");
    }

    // Voucher-wide values repeated on later rows must agree with the first row.
    void sameVoucher(Voucher& v, const std::vector<std::string>& f, long line) {
        auto agree = [&](Col c, const std::string& want, bool upper) {
            std::string t = text::trim(field(f, c));
            if (upper) t = text::upperTr(t);
            if (!t.empty() && t != want)
                error(line, std::string(kColumns[c]) + " fişin ilk satırındakinden farklı");
        };
        const std::string date = text::trim(field(f, cDate));
        if (!date.empty()) {
            auto d = csv::parseDate(date);
            if (!d || *d != v.date) error(line, "date fişin ilk satırındakinden farklı");
        }
        agree(cType, v.type, true);
        agree(cAttribute, v.attribute, true);
        agree(cDocType, v.doc.type, false);
        agree(cDocNo, v.doc.number, false);
        agree(cDocDesc, v.doc.description, false);
        agree(cDocDesc2, v.doc.description2, false);
    }

    void addRow(Voucher& v, const std::vector<std::string>& f, long line) {
        Row r;
        r.line = line;
        r.account = text::trim(field(f, cAccount));
        r.description = text::trim(field(f, cDescription));
        const bool noAmounts = text::trim(field(f, cDebit)).empty() &&
                               text::trim(field(f, cCredit)).empty() &&
                               text::trim(field(f, cAmount)).empty() &&
                               text::trim(field(f, cQuantity)).empty() &&
                               text::trim(field(f, cCurrency)).empty();
        textOk(line, "description", r.description, 50);
        if (r.account.empty() && noAmounts) {
            r.extra = true;
            if (v.rows.empty()) error(line, "ek açıklamadan önce tutarlı bir satır olmalı");
            else if (r.description.empty()) error(line, "boş satır: hesap, tutar ve açıklama yok");
            else {
                int n = 0;
                for (auto it = v.rows.rbegin(); it != v.rows.rend() && it->extra; ++it) ++n;
                if (n >= 99) error(line, "bir satırın en çok 99 ek açıklaması olabilir");
            }
            v.rows.push_back(std::move(r));
            return;
        }
        // The account: a detail account of the chart.
        if (r.account.empty()) error(line, "account boş");
        else if (auto a = chart_.find(r.account); a == chart_.end())
            error(line, "hesap planında yok: \"" + r.account + "\"");
        else if (a->second.ntlk != "M")
            error(line, "muavin hesap değil: \"" + r.account + "\"");
        else
            r.chart = &a->second;
        auto amount = [&](Col c, double& into) {
            auto x = csv::parseAmount(field(f, c), sep_);
            if (!x) {
                error(line, std::string(kColumns[c]) + ": " + x.error().text);
                return false;
            }
            if (!std::isfinite(*x)) {
                error(line, std::string(kColumns[c]) + ": tutar sayı değil");
                return false;
            }
            into = *x;
            return true;
        };
        bool ok = true;
        if (index_[cAmount] >= 0) {
            double a = 0;
            ok = amount(cAmount, a);
            if (a > 0) r.debit = a;
            else r.credit = -a;
        } else {
            ok = amount(cDebit, r.debit) & amount(cCredit, r.credit);
            if (ok && (r.debit < 0 || r.credit < 0)) {
                error(line, "debit ve credit negatif olamaz");
                ok = false;
            }
        }
        double q = 0, fx = 0;
        ok = amount(cQuantity, q) & amount(cCurrency, fx) & ok;
        if (ok && (q < 0 || fx < 0)) {
            error(line, "quantity ve currency_amount negatif olamaz (satırın yönündedir)");
            ok = false;
        }
        if (ok && r.debit != 0 && r.credit != 0) error(line, "bir satır ya borç ya alacak olur");
        if (ok && r.debit == 0 && r.credit == 0) error(line, "satırda TL tutarı yok");
        r.quantity = q;
        r.currency = fx;
        v.rows.push_back(std::move(r));
    }

    core::Status finish(Voucher& v) {
        ++vouchers_;
        int m = 0;
        {
            if (!v.bad) {
                m = fiscalMonthOfDate(y_, v.date);
                if (m == 0) error(v.line, "tarih mali dönem dışında: " + csv::formatDate(v.date));
                else if (monthClosed(env_.session, y_, m))
                    error(v.line, "değişikliğe kapatılan ay: " + csv::formatDate(v.date));
                if (y_.SONYEVMIYETARIH.isSet() && v.date < y_.SONYEVMIYETARIH)
                    error(v.line, "yevmiyesi çekilmiş tarihe fiş girilemez: " +
                                      csv::formatDate(v.date));
            }
            double debit = 0, credit = 0;
            long amountRows = 0;
            for (const auto& r : v.rows)
                if (!r.extra) {
                    debit += r.debit;
                    credit += r.credit;
                    ++amountRows;
                }
            if (amountRows == 0) error(v.line, "\"" + v.id + "\" fişinde tutarlı satır yok");
            if (amountRows > kMaxVoucherNumber)
                error(v.line, "\"" + v.id + "\" fişinde satır sayısı çok büyük");
            if (!core::numeric::realEqual(core::numeric::round(debit, 6),
                                          core::numeric::round(credit, 6)))
                error(v.line, "\"" + v.id + "\" fişi dengesiz: borç " +
                                  core::numeric::toFixed(debit, 2) + ", alacak " +
                                  core::numeric::toFixed(credit, 2));
            if (m == 0 || v.bad) return {};
        }
        // Numbering, on the copy of the company record this import keeps.
        std::string key;
        std::int16_t number = 0;
        for (;;) {
            int slot = 0;
            auto d = FisNoAl(y_, v.date.day, m, v.type, &slot);
            if (!d) {
                error(v.line, d.error().text);
                return {};
            }
            key = d->key;
            number = d->number;
            // Only a voucher stored before can hold the key: FisNoAl never gives a counter
            // twice, so the keys this import draws differ from each other.
            if (!keys_.count(key)) break;
        }
        // Once a row has failed nothing more is written: the unit of work is rolled back
        // whole, and the rest of the file is only checked, so that every failing row is named.
        if (writing_ && errorCount_ == 0) return keep(v, key, number, m);
        return {};
    }

    // The lines are written in the order of their voucher keys, not of the file: the keys are
    // drawn per day or month as the file goes, so in file order each line's two key entries
    // (voucher key first) would land on a random page of an index that outgrows the page cache,
    // costing a page read and write per entry; in key order they go in at the end of what is
    // there. The header is written at once, in the file's order; its indexes are small.
    core::Status keep(const Voucher& v, const std::string& key, std::int16_t number, int m) {
        data::FisBas h;
        h.KEYSTR = key;
        h.FISTRH = v.date;
        h.FISNO = number;
        h.FISTUR = v.type;
        h.FISNTLK = v.attribute;
        h.KARSITNO = 100;
        h.KPERSONEL = who_;
        h.KTARIHI = today_;
        h.KSAATI = now_;
        PendingVoucher p;
        p.key = key;
        p.date = v.date;
        p.number = number;
        p.month = static_cast<std::uint8_t>(m);
        p.type = v.type[0];
        p.attribute = kindOf(v.attribute);
        const Document& d = v.doc;
        if (!d.type.empty() || !d.number.empty() || d.date.isSet() || !d.description.empty() ||
            !d.description2.empty()) {
            p.doc = static_cast<std::uint32_t>(docs_.size());
            docs_.push_back(d);
        }
        p.first = static_cast<std::uint32_t>(lines_.size());
        p.count = static_cast<std::uint32_t>(v.rows.size());
        p.values = static_cast<std::uint32_t>(values_.size());
        for (const auto& r : v.rows) {
            PendingLine l;
            l.text = texts_.add(r.description);
            l.size = static_cast<std::uint16_t>(r.description.size());
            if (!r.extra) {
                l.account = r.chart->index + 1;
                l.debit = r.debit != 0;
                l.amount = l.debit ? r.debit : r.credit;
                l.quantity = r.quantity != 0;
                l.currency = r.currency != 0;
                if (l.quantity) values_.push_back(r.quantity);
                if (l.currency) values_.push_back(r.currency);
                h.BTOPLAM += r.debit;
                h.ATOPLAM += r.credit;
            }
            lines_.push_back(l);
        }
        pending_.push_back(std::move(p));
        if (auto st = b_.heads.add(h); !st) return st;
        // A file too large to wait whole is written in runs, each in key order.
        if (lines_.size() >= kMaxWaiting) return writeLines();
        return {};
    }

    // About 50 bytes a line (the line, its share of the voucher, its description).
    static constexpr std::size_t kMaxWaiting = 4'000'000;

    // The attribute of a voucher as an index into kinds_, with where its lines post.
    struct Kind {
        std::string attribute;
        bool cancelled;
        Place place;
    };
    std::uint16_t kindOf(const std::string& attribute) {
        for (std::size_t i = 0; i < kinds_.size(); ++i)
            if (kinds_[i].attribute == attribute) return static_cast<std::uint16_t>(i);
        kinds_.push_back({attribute, isCancelled(attribute), placeOf(attribute)});
        return static_cast<std::uint16_t>(kinds_.size() - 1);
    }

    // A large import leaves the line file's account index aside and builds it once at the end:
    // inserting a million entries one by one into an index ordered by account touches its pages
    // in no useful order, and once the index outgrows the page cache that costs more than the
    // whole rest of the import. The rebuild reads every line of the file, old ones too, so it
    // pays only when this import brings at least as many lines as there were, and at least
    // kDeferAfter of them.
    static constexpr long kDeferAfter = 20000;
    core::Status deferIndexesWhenLarge(long coming) {
        if (deferred_) return {};
        if (existingLines_ < 0) {
            auto n = b_.lines.count();
            if (!n) return n.error();
            existingLines_ = static_cast<long>(*n);
        }
        if (written_ + coming < std::max(kDeferAfter, existingLines_)) return {};
        if (auto st = b_.lines.table().deferIndexes(); !st) return st;
        deferred_ = true;
        return {};
    }

    // Writes the waiting lines in key order and posts them in that order.
    core::Status writeLines() {
        if (pending_.empty()) return {};
        if (auto st = deferIndexesWhenLarge(static_cast<long>(lines_.size())); !st) return st;
        std::vector<std::uint32_t> order(pending_.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return pending_[a].key < pending_[b].key;
        });
        for (std::uint32_t i : order)
            if (auto st = writeVoucherLines(pending_[i]); !st) return st;
        written_ += static_cast<long>(lines_.size());
        pending_.clear();
        lines_.clear();
        values_.clear();
        docs_.resize(1);
        texts_.clear();
        return {};
    }

    core::Status writeVoucherLines(const PendingVoucher& v) {
        const Kind& kind = kinds_[v.attribute];
        const Document& doc = docs_[v.doc];
        const std::string type(1, v.type);
        int lineNo = 0, extra = 0;
        const Account* last = nullptr;
        bool lastDebit = false;
        std::size_t value = v.values;
        for (std::size_t i = v.first; i < v.first + v.count; ++i) {
            const PendingLine& r = lines_[i];
            data::FisDet l;
            l.KEYSTR = v.key;
            l.FISACK = texts_.at(r.text, r.size);
            if (r.account == 0) {
                l.FISSIRANO = static_cast<std::int16_t>(lineNo);
                l.ACKNO = lineNo * 100 + ++extra;
                l.HESAPKODU = last ? last->code : std::string();
                l.BORCALACAK = lastDebit ? "B" : "A";
            } else {
                extra = 0;
                ++lineNo;
                Account& a = *accounts_[r.account - 1];
                l.FISSIRANO = static_cast<std::int16_t>(lineNo);
                l.ACKNO = lineNo * 100;
                l.HESAPKODU = a.code;
                (r.debit ? l.TLBORC : l.TLALACAK) = r.amount;
                l.BORCALACAK = r.debit ? "B" : "A";
                if (r.quantity) (r.debit ? l.ALTBIRIMBORC : l.ALTBIRIMALACAK) = values_[value++];
                if (r.currency) (r.debit ? l.DOVIZBORC : l.DOVIZALACAK) = values_[value++];
                l.FISTRH = v.date;
                l.FISNO = v.number;
                l.FISTUR = type;
                l.FISNTLK = kind.attribute;
                l.HESAPADI1 = a.name1;
                l.HESAPADI2 = a.name2;
                l.BELGETIPI = doc.type;
                l.BELGENO = doc.number;
                l.BELGETARIHI = doc.date;
                l.BELGEACIKLAMASI = doc.description;
                l.BELGEACIKLAMASI2 = doc.description2;
                l.KPERSONEL = who_;
                l.KTARIHI = today_;
                l.KSAATI = now_;
                // A cancelled voucher posts nowhere: its accounts stay out of the batch.
                if (!kind.cancelled)
                    post(r.account - 1, amountsOf(l), kind.place, v.month);
                last = &a;
                lastDebit = r.debit;
            }
            if (auto st = b_.lines.add(l); !st) return st;
        }
        return {};
    }

    // The lines' amounts are summed here by place (opening, months 1..12, closing) and level
    // code, and go into the batch once at the end. A million lines post to a few thousand codes
    // in no order, but in key order the lines of one month come together: their sums lie in one
    // small table instead of in the totals of every code, spread over the heap. Each sum starts
    // from zero and takes its lines in the order they are written, as the batch's would.
    static constexpr std::size_t kPlaces = 14;
    static std::size_t placeSlot(Place place, int m) {
        return place == Place::Opening ? 0 : place == Place::Closing ? kPlaces - 1
                                                                     : static_cast<std::size_t>(m);
    }

    // The sums of the levels of an account's code, found at its first line.
    std::span<const std::uint32_t> levelsOf(std::uint32_t account) {
        if (levelSpans_.empty()) levelSpans_.resize(accounts_.size());
        auto& [first, count] = levelSpans_[account];
        if (count == 0) {
            first = static_cast<std::uint32_t>(levels_.size());
            for (AccountTotals* t : batch_.levelsOf(accounts_[account]->code)) {
                auto [at, added] =
                    levelIndex_.try_emplace(t, static_cast<std::uint32_t>(totals_.size()));
                if (added) {
                    totals_.push_back(t);
                    for (auto& place : sums_) place.resize(totals_.size());
                }
                levels_.push_back(at->second);
            }
            count = static_cast<std::uint32_t>(levels_.size() - first);
        }
        return {levels_.data() + first, count};
    }

    void post(std::uint32_t account, const Amounts& a, Place place, int m) {
        if (place == Place::Monthly && (m < 1 || m > 12)) return; // no month element
        auto& sums = sums_[placeSlot(place, m)];
        for (std::uint32_t level : levelsOf(account))
            for (std::size_t i = 0; i < 6; ++i) sums[level][i] += a[i];
    }

    void addSumsToBatch() {
        for (std::size_t level = 0; level < totals_.size(); ++level) {
            AccountTotals& t = *totals_[level];
            for (std::size_t p = 0; p < kPlaces; ++p) {
                Amounts& into = p == 0 ? t.opening : p == kPlaces - 1 ? t.closing : t.months[p - 1];
                for (std::size_t i = 0; i < 6; ++i) into[i] += sums_[p][level][i];
            }
        }
    }

    Env& env_;
    Books& b_;
    data::Yasal y_;
    std::unordered_map<std::string, Account> chart_;
    std::unordered_set<std::string> attributes_;
    std::unordered_set<std::string> keys_;
    std::array<int, cCount> index_{};
    char sep_ = ',';
    bool writing_ = false;
    std::vector<std::string> errors_;
    long errorCount_ = 0, vouchers_ = 0, rows_ = 0;
    PostingBatch batch_;
    long written_ = 0, existingLines_ = -1;
    bool deferred_ = false;
    std::vector<Account*> accounts_; // the chart's entries by Account::index
    std::vector<std::pair<std::uint32_t, std::uint32_t>> levelSpans_; // into levels_, by index
    std::vector<std::uint32_t> levels_;                               // into totals_
    std::vector<AccountTotals*> totals_;
    std::unordered_map<AccountTotals*, std::uint32_t> levelIndex_;
    std::array<std::vector<Amounts>, kPlaces> sums_;
    Blocks<PendingVoucher> pending_;
    Blocks<PendingLine> lines_;
    Blocks<double> values_;
    std::vector<Document> docs_ = std::vector<Document>(1);
    TextStore texts_;
    std::vector<Kind> kinds_;
    std::string who_ = text::left(env_.session.AktifKullanici, 10);
    core::Date today_ = core::Date::today();
    core::Time now_ = core::Time::now();
};

std::string number(double v) {
    return v == 0 ? std::string() : core::numeric::shortest(v);
}

} // namespace

namespace {

// The refusal of a file with failing rows: the first of them and their count.
core::Error refusal(const Importer& run, const std::filesystem::path& file) {
    std::string t;
    for (const auto& e : run.errorTexts()) t += e + "\n";
    t += std::to_string(run.errors()) + " hata";
    if (run.errors() > static_cast<long>(kMaxReportedErrors))
        t += " (ilk " + std::to_string(kMaxReportedErrors) + " gösterildi)";
    t += "; hiçbir şey yazılmadı.";
    return core::Error::badInput(t, file.string());
}

} // namespace

core::Result<ImportSummary> importVouchers(Env& env, const std::filesystem::path& file,
                                           bool dryRun) {
    auto books = Books::open(env.data);
    if (!books) return books.error();
    ImportSummary s;
    if (dryRun) {
        // Checking reads a snapshot; nothing is written.
        Importer check(env, *books);
        if (auto st = check.load(); !st) return st.error();
        if (auto st = check.pass(file, false); !st) return st.error();
        if (check.errors() > 0) return refusal(check, file);
        s.vouchers = check.vouchers();
        s.rows = check.rows();
        return s;
    }
    // The file is checked and written in one reading, under the write lock: every row is checked
    // against the company record, the chart and the keys as they are now, and writing stops at
    // the first failing row while the checks go on to the end. A file with any failing row is
    // refused as a whole: the unit of work is rolled back, so nothing of it remains.
    // Run alone on the company, the lines go into the database once, not through the log first.
    data::BulkWrite bulk{*books->db};
    data::Transaction tx{*books->db};
    if (!tx.started()) return tx.started().error();
    Importer run(env, *books);
    if (auto st = run.load(); !st) return st.error();
    if (auto st = run.pass(file, true); !st) return st.error();
    if (run.errors() > 0) return refusal(run, file);
    s.vouchers = run.vouchers();
    s.rows = run.rows();
    if (auto st = run.finishWriting(); !st) return st.error();
    if (auto st = tx.commit(); !st) return st.error();
    env.ui.progressDone();
    s.written = true;
    return s;
}

core::Result<long> exportVouchers(Env& env, const std::filesystem::path& file, int month) {
    auto books = Books::open(env.data);
    if (!books) return books.error();
    Books& b = *books;
    auto out = output::AtomicFile::create(file);
    if (!out) return out.error();
    std::string buf;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (kColumns[i] == std::string_view("amount")) continue;
        buf += (buf.empty() ? "" : ",") + std::string(kColumns[i]);
    }
    buf += "\n";
    const char sep = ',';
    long count = 0;
    data::FisBas from;
    if (month > 0) {
        char p[16];
        std::snprintf(p, sizeof p, "%02d", month);
        from.KEYSTR = p;
    }
    if (auto st = b.heads.set("MFB:KeyFis", month > 0 ? data::Seek::AtOrAfter : data::Seek::First,
                              from);
        !st)
        return st.error();
    std::vector<data::FisBas> heads;
    while (auto h = b.heads.next()) {
        if (month > 0 && keyMonth(h->KEYSTR) != month) break;
        heads.push_back(*h);
    }
    for (const auto& h : heads) {
        auto lines = b.linesOf(h.KEYSTR);
        if (!lines) return lines.error();
        ++count;
        for (const auto& l : *lines) {
            const bool debit = l.TLBORC != 0;
            std::array<std::string, cCount> f;
            f[cVoucher] = h.KEYSTR;
            f[cDescription] = l.FISACK;
            if (isAmountLine(l)) {
                f[cDate] = csv::formatDate(h.FISTRH);
                f[cType] = std::string(1, typeLetter(h.FISTUR));
                f[cAttribute] = text::clip(h.FISNTLK);
                f[cAccount] = l.HESAPKODU;
                f[cDebit] = number(l.TLBORC);
                f[cCredit] = number(l.TLALACAK);
                f[cQuantity] = number(debit ? l.ALTBIRIMBORC : l.ALTBIRIMALACAK);
                f[cCurrency] = number(debit ? l.DOVIZBORC : l.DOVIZALACAK);
                f[cDocType] = l.BELGETIPI;
                f[cDocNo] = l.BELGENO;
                f[cDocDate] = csv::formatDate(l.BELGETARIHI);
                f[cDocDesc] = l.BELGEACIKLAMASI;
                f[cDocDesc2] = l.BELGEACIKLAMASI2;
            }
            std::string row;
            for (int c = 0; c < cCount; ++c) {
                if (c == cAmount) continue;
                row += (c == 0 ? "" : ",") + csv::quote(f[static_cast<std::size_t>(c)], sep);
            }
            buf += row + "\n";
        }
        if (buf.size() > (1u << 20)) {
            if (auto st = out->write(buf); !st) return st.error();
            buf.clear();
        }
    }
    if (auto st = out->write(buf); !st) return st.error();
    if (auto st = out->close(); !st) return st.error();
    if (auto st = out->commit(); !st) return st.error();
    return count;
}

} // namespace hk::vouchers
