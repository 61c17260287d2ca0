#include "app/startup.h"

#include "app/login.h"
#include "app/users.h"
#include "core/text.h"
#include "data/convert.h"
#include "data/errors.h"

namespace hk::app::start {

namespace text = core::text;

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return text::upperTr(a) == text::upperTr(b);
}

} // namespace

core::Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    for (const std::string& a : args) {
        const auto eq = a.find('=');
        if (eq != std::string::npos && equalNoCase(a.substr(0, eq), "Path")) {
            c.path = text::clip(a.substr(eq + 1));
            c.hasPath = !text::trim(c.path).empty();
        } else if (equalNoCase(a, "/KAPAT")) {
            c.kapat = true;
        } else if (equalNoCase(a, "/DUZENLE")) {
            c.duzenle = true;
        } else if (equalNoCase(a, "/AKTAR")) {
            c.aktar = true;
        } else {
            return core::Error::badInput("Tanınmayan komut satırı değeri: \"" + a +
                                          "\" (Path=KLASÖR, /KAPAT, /DUZENLE, /AKTAR)");
        }
    }
    return c;
}

data::Locations locate(const CommandLine& cmd, const std::filesystem::path& programFolder) {
    return data::Locations::resolve(cmd.hasPath ? cmd.path : std::string(), programFolder);
}

data::DataSet openDataSet(const data::Locations& where, Ui& ui) {
    auto ds = data::DataSet::open(where);
    if (!ds) {
        MessageArgs a;
        a.file = ds.error().file.empty() ? where.dataFolder().string() : ds.error().file;
        raiseError(ui, ds.error(), 23, a);
        // Message 23 is fatal; should the table ever change, the start still cannot go on.
        throw ProgramEnd(ds.error().describe());
    }
    return std::move(*ds);
}

core::Result<UserFileReport> ensureUserFile(data::Database& db) {
    UserFileReport r;
    const auto& def = data::fileDef(data::Layout::KLUsers);
    auto t = db.table(def);
    if (!t && data::is(t.error(), data::ErrorCode::LayoutMismatch)) {
        // A user file of another layout cannot be read; it is kept aside, never deleted, and a
        // new one takes its place.
        std::string aside = "KLUsers.Esk";
        for (int n = 2;; ++n) {
            auto taken = db.exists(aside);
            if (!taken) return taken.error();
            if (!*taken) break;
            aside = "KLUsers.Esk" + std::to_string(n);
        }
        if (auto st = db.rename("KLUsers", aside); !st) return st.error();
        r.movedAsideTo = aside;
        t = db.table(def);
    }
    if (!t) return t.error();
    auto n = t->count();
    if (!n) return n.error();
    if (*n > 0) return r;
    auto f = users::open(db);
    if (!f) return f.error();
    data::KLUsers u;
    u.ID = login::kDefaultUser;
    u.NAME = login::kDefaultUser;
    u.MASTERUSER = 1;
    if (auto st = users::addUser(*f, u, ""); !st) return st.error();
    r.defaultUserAdded = true;
    return r;
}

void checkVersion(data::Database& db, Ui& ui) {
    namespace cv = data::convert;
    auto c = cv::check(db);
    if (!c) {
        raiseError(ui, c.error(), 23);
        throw ProgramEnd(c.error().describe());
    }
    switch (c->state) {
    case cv::State::New:
    case cv::State::Current: return;
    case cv::State::Newer:
        ui.message(cv::kNewerText, {}, Icon::Critical, core::messages::kOkButton, 1);
        throw ProgramEnd(cv::kNewerText);
    case cv::State::Older: break;
    }
    if (ui.message(cv::kQuestionText, cv::kQuestionTitle, Icon::Warning, cv::kQuestionButtons,
                   cv::kQuestionDefault) != 1)
        throw ProgramEnd({}); // refused: no further message
    auto r = cv::convertAll(db, [&ui](const std::string& t, int pct) { ui.progress(t, pct); });
    ui.progressDone();
    switch (r.outcome) {
    case cv::StepOutcome::Done: return;
    case cv::StepOutcome::UnknownVersion:
        ui.message(cv::kUnknownText, {}, Icon::Critical, core::messages::kOkButton, 1);
        throw ProgramEnd(std::string(cv::kUnknownText) + " (" + r.version + ")");
    case cv::StepOutcome::Failed:
        ui.message(cv::kFailedText, {}, Icon::Critical, core::messages::kOkButton, 1);
        throw ProgramEnd(std::string(cv::kFailedText) + ": " + r.error.describe() +
                         (r.error.file.empty() ? "" : " (" + r.error.file + ")"));
    }
}

void readStartSettings(Session& s) {
    s.loadYaziciAdi();
    s.OzelKontrol = s.settings().getInt("OZEL", "KONTROL", 0);
}

data::startup::Report prepareData(data::DataSet& ds, Session& s, Ui& ui, const CommandLine& cmd,
                                  const std::filesystem::path& programFolder, core::Date today) {
    data::startup::Options o;
    o.textFolder = programFolder;
    o.aktar = cmd.aktar;
    o.today = today;
    auto rep = data::startup::prepare(ds, o);
    if (!rep) {
        raiseError(ui, rep.error(), 23);
        throw ProgramEnd(rep.error().describe());
    }
    for (const auto& n : rep->notices)
        ui.message(n.text, n.caption, Icon::Warning, core::messages::kOkButton, 1);
    s.setCompany(rep->company);
    return std::move(*rep);
}

void settleCalendar(Session& s, const data::startup::Report& prepared, core::Date today) {
    s.AyAdlari = ayAdlari();
    if (prepared.companyCreated) {
        // The working month of a new company is its first month. A settings file that cannot be
        // written only loses the memory of it for the next start.
        (void)s.setCalisilanAy(1);
    } else {
        s.loadCalisilanAy(today);
    }
    s.Fis33Satir = s.settings().getInt("Fis", "33Satir", 0) == 1;
    s.FisIciSirala = s.settings().getInt("Fis", "iciSirala", 0) == 1;
    s.OzelKovan = s.settings().getInt("Ozel", "Kovan", 0);
}

Started startHeadless(Session& s, Ui& ui, const HeadlessOptions& o) {
    const data::Locations where = locate(o.cmd, o.programFolder);
    s.VeriYolu = o.cmd.hasPath ? o.cmd.path : std::string();
    data::DataSet ds = openDataSet(where, ui);

    auto uf = ensureUserFile(ds.data());
    if (!uf) {
        raiseError(ui, uf.error(), 23, MessageArgs{"KLUsers", {}, {}, {}, {}, {}});
        throw ProgramEnd(uf.error().describe());
    }

    {
        auto f = users::open(ds.data());
        if (!f) {
            raiseError(ui, f.error(), 23);
            throw ProgramEnd(f.error().describe());
        }
        login::LoginAttempts attempts;
        auto a = attempts.tryLogin(*f, o.user, o.password);
        if (!a) {
            raiseError(ui, a.error(), 23);
            throw ProgramEnd(a.error().describe());
        }
        switch (*a) {
        case login::Attempt::Accepted: break;
        case login::Attempt::BlankUser:
        case login::Attempt::UnknownUser:
            ui.message(login::kUnknownUser, {}, Icon::Warning, core::messages::kOkButton, 1);
            throw ProgramEnd(login::kUnknownUser);
        case login::Attempt::WrongPassword:
        case login::Attempt::TooManyFailures:
            ui.message(login::kWrongPassword, {}, Icon::Warning, core::messages::kOkButton, 1);
            throw ProgramEnd(text::trim(login::kWrongPassword));
        }
        s.AktifKullanici = text::clip(attempts.user().ID);
        s.AnaKullanici = attempts.user().MASTERUSER == 1 ? 1 : 0;
        (void)s.settings().set("User", "Name", s.AktifKullanici);
    }

    std::string before;
    {
        auto c = data::convert::check(ds.data());
        if (c) before = c->dataVersion;
    }
    checkVersion(ds.data(), ui);
    readStartSettings(s);
    auto prepared = prepareData(ds, s, ui, o.cmd, o.programFolder, o.today);
    settleCalendar(s, prepared, o.today);
    return Started{std::move(ds), std::move(*uf), std::move(prepared), std::move(before)};
}

} // namespace hk::app::start
