#include "data/convert.h"

#include "core/text.h"
#include "data/errors.h"
#include "data/records.h"

#include <climits>

namespace hk::data::convert {

namespace text = core::text;

namespace {

struct StepDef {
    const char* from;
    const char* to;
    const char* file; // empty: no file changes
    Layout oldLayout;
    Layout newLayout;
    bool voucherFile; // keys built after a bulk copy; Yasal takes its first record only
};

const StepDef kSteps[] = {
    {"204001", "301001", "", Layout::Version, Layout::Version, false},
    {"301001", "302005", "FisDet", Layout::FisDetA, Layout::FisDetB, true},
    {"302005", "302006", "Yasal", Layout::YasalOld, Layout::Yasal, false},
    {"302006", "302007", "FisDet", Layout::FisDetB, Layout::FisDet, true},
    {"302007", "302008", "FisBas", Layout::FisBasOld, Layout::FisBas, true},
};

const StepDef* stepFrom(const std::string& version) {
    for (const StepDef& s : kSteps)
        if (version == s.from) return &s;
    return nullptr;
}

void report(const ProgressSink& p, const std::string& text, int percent) {
    if (p) p(text, percent);
}

// "<N>.Esk" for the old table; an earlier one of that name moves to "<N>.Esk2", "<N>.Esk3", ...
core::Result<std::string> keepAsideName(Database& db, const std::string& file) {
    const std::string esk = file + ".Esk";
    auto has = db.exists(esk);
    if (!has) return has.error();
    if (*has) {
        for (int n = 2;; ++n) {
            const std::string older = esk + std::to_string(n);
            auto taken = db.exists(older);
            if (!taken) return taken.error();
            if (!*taken) {
                if (auto st = db.rename(esk, older); !st) return st.error();
                break;
            }
        }
    }
    return esk;
}

core::Status writeVersion(Database& db, const std::string& version) {
    auto t = db.table(fileDef(Layout::Version));
    if (!t) return t.error();
    TypedTable<Version> v(std::move(*t));
    if (auto st = v.setPhysical(); !st) return st;
    auto cur = v.next();
    if (cur) return v.put(Version{version});
    if (!isMissing(cur.error())) return cur.error();
    return v.add(Version{version});
}

// Copies one file into its new layout inside the caller's unit of work.
core::Status convertFile(Database& db, const StepDef& s, const ProgressSink& progress) {
    const std::string name = s.file;
    report(progress, name + " Dosyası Aktarılıyor. Bekleyiniz !", 0);
    auto present = db.exists(name);
    if (!present) return present.error();
    if (!*present) return {}; // nothing to convert

    const std::string tmpName = name + ".Tmp";
    {
        auto oldT = db.table(name, fileDef(s.oldLayout), false);
        if (!oldT) return oldT.error();
        if (auto st = db.drop(tmpName); !st) return st;
        if (auto st = db.create(tmpName, fileDef(s.newLayout)); !st) return st;
        auto newT = db.table(tmpName, fileDef(s.newLayout), false);
        if (!newT) return newT.error();

        auto total = oldT->count();
        if (!total) return total.error();
        if (auto st = oldT->setPhysical(); !st) return st;
        std::int64_t done = 0;
        for (;;) {
            if (auto st = oldT->next(); !st) {
                if (is(st.error(), ErrorCode::NoRecord)) break;
                return st;
            }
            Record& nb = newT->buffer();
            nb.clear();
            nb.copyMatchingFields(oldT->buffer());
            if (s.voucherFile) {
                if (auto st = newT->append(); !st) return st;
            } else {
                if (auto st = newT->add(); !st) return st;
            }
            ++done;
            if (*total > 0 && (done % 256 == 0 || done == *total))
                report(progress, name + " Dosyası Aktarılıyor. Bekleyiniz !",
                       static_cast<int>(done * 100 / *total));
            if (!s.voucherFile) break; // the company file keeps its first record only
        }
        if (s.voucherFile) {
            report(progress, name + " Dosyası Index Düzenleniyor. Bekleyiniz !", -1);
            if (auto st = newT->rebuildKeys(); !st) return st;
            report(progress, name + " Dosyası Düzenleniyor. Bekleyiniz !", -1);
        }
    } // both tables closed before the renames

    auto esk = keepAsideName(db, name);
    if (!esk) return esk.error();
    if (auto st = db.rename(name, *esk); !st) return st;
    return db.rename(tmpName, name);
}

} // namespace

core::Result<VersionCheck> check(Database& db) {
    auto has = db.exists("Version");
    if (!has) return has.error();
    VersionCheck c;
    if (!*has) return c;
    auto t = db.table(fileDef(Layout::Version), false);
    if (!t) return t.error();
    TypedTable<Version> v(std::move(*t));
    if (auto st = v.setPhysical(); !st) return st.error();
    auto rec = v.next();
    if (!rec) {
        if (isMissing(rec.error())) return c;
        return rec.error();
    }
    c.dataVersion = text::clip(rec->VERSION);
    const std::string program(kProgramVersion);
    if (c.dataVersion == program)
        c.state = State::Current;
    else if (c.dataVersion > program)
        c.state = State::Newer;
    else
        c.state = State::Older;
    return c;
}

core::Result<std::string> convertStep(Database& db, const std::string& fromVersion,
                                      const ProgressSink& progress) {
    const StepDef* s = stepFrom(fromVersion);
    if (!s) return core::Error::of(0, kUnknownText);
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    if (*s->file)
        if (auto st = convertFile(db, *s, progress); !st) return st.error();
    if (auto st = writeVersion(db, s->to); !st) return st.error();
    if (auto st = db.drop("DataList"); !st) return st.error();
    if (auto st = tx.commit(); !st) return st.error();
    return std::string(s->to);
}

ConversionResult convertAll(Database& db, const ProgressSink& progress) {
    ConversionResult r;
    auto c = check(db);
    if (!c) {
        r.outcome = StepOutcome::Failed;
        r.error = c.error();
        return r;
    }
    r.version = c->dataVersion;
    if (c->state == State::New) return r; // start-up preparation stamps a new data set
    if (c->state == State::Newer) {
        r.outcome = StepOutcome::Failed;
        r.error = core::Error::of(0, kNewerText);
        return r;
    }
    while (r.version != kProgramVersion) {
        if (!stepFrom(r.version)) {
            r.outcome = StepOutcome::UnknownVersion;
            return r;
        }
        auto next = convertStep(db, r.version, progress);
        if (!next) {
            r.outcome = StepOutcome::Failed;
            r.error = next.error();
            return r;
        }
        r.version = *next;
    }
    return r;
}

core::Result<int> TarihAyarla(Database& db, const ProgressSink& progress) {
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();

    auto yt = db.table(fileDef(Layout::Yasal));
    if (!yt) return yt.error();
    TypedTable<Yasal> yasal(std::move(*yt));
    if (auto st = yasal.setPhysical(); !st) return st.error();
    auto company = yasal.next();
    if (!company) return company.error();
    const int year = company->MALIDONEMBAS.year;

    auto bt = db.table(fileDef(Layout::FisBas));
    if (!bt) return bt.error();
    TypedTable<FisBas> headers(std::move(*bt));
    auto dt = db.table(fileDef(Layout::FisDet));
    if (!dt) return dt.error();
    TypedTable<FisDet> lines(std::move(*dt));
    auto pt = db.table(fileDef(Layout::HsPlan));
    if (!pt) return pt.error();
    TypedTable<HsPlan> plan(std::move(*pt));

    auto total = headers.count();
    if (!total) return total.error();
    report(progress, "0% Completed", 0);
    if (auto st = headers.set("KeyFis", Seek::First); !st) return st.error();
    int changed = 0;
    std::int64_t done = 0;
    for (;;) {
        auto h = headers.next();
        if (!h) {
            if (is(h.error(), ErrorCode::NoRecord)) break;
            return h.error();
        }
        FisBas head = *h;
        ++done;
        if (head.FISTRH.isSet() && year > 0) {
            core::Date d = head.FISTRH;
            d.year = static_cast<std::uint16_t>(year);
            // 29 February has no place in a year that is not a leap year: the voucher moves to
            // the last day of February instead of becoming an impossible date.
            if (!d.isValid() && d.month == 2 && d.day == 29) d.day = 28;
            head.FISTRH = d;
        }

        FisDet from;
        from.KEYSTR = head.KEYSTR;
        from.FISSIRANO = INT16_MIN;
        from.ACKNO = INT32_MIN;
        if (auto st = lines.set("KeyFisSiraNo", Seek::AtOrAfter, from); !st) return st.error();
        for (;;) {
            auto l = lines.next();
            if (!l) {
                if (is(l.error(), ErrorCode::NoRecord)) break;
                return l.error();
            }
            if (text::compare(l->KEYSTR, head.KEYSTR, true) != 0) break;
            FisDet line = *l;
            line.FISTRH = head.FISTRH;
            HsPlan key;
            key.HESAPKODU = line.HESAPKODU;
            auto acc = plan.get("KeyHesap", key);
            if (acc) {
                line.HESAPADI1 = acc->HESAPAD1;
                line.HESAPADI2 = acc->HESAPAD2;
            } else if (!isMissing(acc.error())) {
                return acc.error();
            }
            if (!(line == *l))
                if (auto st = lines.put(line); !st) return st.error();
        }
        if (!(head == *h)) {
            if (auto st = headers.put(head); !st) return st.error();
            ++changed;
        }
        if (*total > 0) {
            const int pct = static_cast<int>(done * 100 / *total);
            report(progress, std::to_string(pct) + "% Completed", pct);
        }
    }
    if (auto st = tx.commit(); !st) return st.error();
    return changed;
}

} // namespace hk::data::convert
