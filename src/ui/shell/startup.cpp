#include "ui/shell/startup.h"

#include "app/login.h"
#include "app/message.h"
#include "app/rights_data.h"
#include "app/startup.h"
#include "app/users.h"
#include "core/date.h"
#include "core/text.h"
#include "data/convert.h"
#include "procedures/all.h"
#include "ui/accounts/accounts_windows.h"
#include "ui/statements/definitions.h"
#include "ui/shell/frame.h"
#include "ui/framework/geometry.h"
#include "ui/shell/kul.h"
#include "ui/reports/ledger_book_windows.h"
#include "ui/shell/login.h"
#include "ui/framework/qtui.h"
#include "ui/render/pdf_writer.h"
#include "ui/vouchers/voucher_form.h"
#include "ui/vouchers/voucher_list.h"
#include "ui/journal/journal_window.h"
#include "ui/reports/reports_windows.h"
#include "ui/vouchers/voucher_print.h"
#include "ui/vouchers/voucher_ack.h"
#include "ui/vouchers/voucher_tools.h"
#include "ui/vouchers/voucher_lines.h"
#include "ui/shell/yasal.h"

#include <QApplication>
#include <QStringList>

#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace hk::ui {
namespace {

namespace fs = std::filesystem;

// The data version for the login window's version line; a new data set counts as current.
long dataVersionOf(data::Database& db) {
    auto c = data::convert::check(db);
    if (!c || c->dataVersion.empty()) return kProgramVersion;
    long v = 0;
    const std::string& t = c->dataVersion;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() ? v : 0;
}

// A file the start-up cannot do without: message 23, and the program ends.
[[noreturn]] void endWith(app::Ui& ui, const core::Error& e, const std::string& file) {
    app::raiseError(ui, e, 23, app::MessageArgs{file, {}, {}, {}, {}, {}});
    throw app::ProgramEnd(e.describe());
}

SettingsAccess settingsOf(app::Session& s) {
    return SettingsAccess{
        [&s](const std::string& section, const std::string& key) {
            return s.settings().getText(section, key);
        },
        // A window position that cannot be written is not worth a message: the window simply
        // opens at its default place next time.
        [&s](const std::string& section, const std::string& key, const std::string& value) {
            (void)s.settings().set(section, key, value);
        }};
}

// Step 4: the login window over the user file. Returns false when it did not succeed.
bool login(data::DataSet& ds, app::Session& session, app::Ui& ui) {
    auto files = app::users::open(ds.data());
    if (!files) endWith(ui, files.error(), "KLUsers");
    LoginWindow w(
        *files, ui, session.settings().getText("User", "Name"),
        [&session](const std::string& id) { (void)session.settings().set("User", "Name", id); },
        dataVersionOf(ds.data()));
    if (w.exec() != QDialog::Accepted) return false;
    session.AktifKullanici = w.user();
    session.AnaKullanici = w.masterUser() ? 1 : 0;
    return true; // the user file closes here, as the start-up wants it
}

// Step 17: renumber fiscal months 1..12 in date order, then rebuild every total. The start-up
// waits for each step, so even a worker procedure runs here on the calling thread.
void renumberAndRebuild(const app::ProcedureRegistry& registry, app::ProcedureContext& ctx) {
    // A procedure not built yet is reported once, not once per month.
    if (!registry.find(app::kRenumberProcedure)) {
        app::raiseNotBuilt(ctx.ui, app::kRenumberProcedure);
    } else {
        for (int m = 1; m <= 12; ++m)
            (void)app::runRegistered(registry, app::kRenumberProcedure, std::to_string(m), ctx);
    }
    (void)app::runRegistered(registry, app::kRebuildProcedure, "0", ctx);
}

int run(QApplication& app, app::Ui& bootUi, const std::vector<std::string>& args,
        const fs::path& programFolder) {
    auto cmd = app::start::parseCommandLine(args);
    if (!cmd) {
        bootUi.message(cmd.error().text, "Hesapkar", app::Icon::Critical, "&Tamam", 1);
        return 2;
    }
    const core::Date today = core::Date::today();
    const fs::path current = fs::current_path();

    app::Session session(app::Settings::defaultPath());

    // 1. The Turkish collation and case tables are built into core/text: nothing to set.
    // 2. Data folder and file names.
    const data::Locations where = app::start::locate(*cmd, current);
    session.VeriYolu = cmd->hasPath ? cmd->path : std::string();
    data::DataSet ds = app::start::openDataSet(where, bootUi);
    // 3. User file.
    if (auto uf = app::start::ensureUserFile(ds.data()); !uf) endWith(bootUi, uf.error(), "KLUsers");
    // 4. Login; a refused login ends the program silently.
    if (!login(ds, session, bootUi)) return 0;
    // 5. Data version.
    app::start::checkVersion(ds.data(), bootUi);
    // 6-7. Printer, [OZEL] KONTROL.
    app::start::readStartSettings(session);
    // 8. The user-rights file stays open with the frame (the company record is held by the
    //    session, loaded at step 11).
    auto security = app::users::open(ds.data());
    if (!security) endWith(bootUi, security.error(), "KLDUsers");
    app::RightsService rights(session.AktifKullanici, session.AnaKullanici == 1,
                              app::userRightsLookup(security->userRights));

    // 9. The frame. The menu shows only the attribute-hidden trimming until step 18.
    app::ProcedureRegistry procedures;
    procedures::registerAll(procedures, render::pdfOpener());
    FrameSetup setup;
    setup.dataFolder = session.VeriYolu;
    setup.user = session.AktifKullanici;
    setup.hiddenNumbers = app::attributeHiddenItems();
    setup.procedures = &procedures;
    setup.session = &session;
    setup.rights = &rights;
    setup.data = &ds;
    setup.settings = settingsOf(session);
    setup.currentPrinter = [&session] { return session.YaziciAdi(); };
    setup.printerChosen = [&session, &bootUi](const std::string& device) {
        if (auto st = session.setYaziciAdi(device); !st)
            bootUi.message(st.error().describe(), "Printer Seçimi", app::Icon::Warning, "&Tamam", 1);
    };
    MainFrame frame(setup);
    QtUi ui(&frame);
    frame.setUi(&ui);
    registerWindows(procedures, frame);
    frame.show();
    app::ProcedureContext& ctx = *frame.context();

    // 10. Year-end rollover on request.
    if (cmd->kapat) (void)app::runRegistered(procedures, app::kYearEndProcedure, "", ctx);
    // 11. Start-up data.
    const auto prepared = app::start::prepareData(ds, session, ui, *cmd, programFolder, today);
    // 12-16. Month names, calendar, working month, [Fis] and [Ozel] values.
    app::start::settleCalendar(session, prepared, today);
    // 17. Renumber and rebuild on request.
    if (cmd->duzenle) renumberAndRebuild(procedures, ctx);
    // 18. Rights (and [Ozel] Kovan, step 16) trim the menu.
    frame.setHiddenNumbers(app::hiddenMenuNumbers(rights, session.OzelKovan != 0));

    return app.exec();
}

} // namespace

void registerWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    // Window procedures arrive module by module; until one is registered its menu item raises
    // message 24.
    registerYasal(registry, &frame);
    registerKulWindows(registry, frame);
    registerJournalWindow(registry, frame);
    registerAccountWindows(registry, frame);
    registerReportWindows(registry, frame);
    registerLedgerBookWindows(registry, frame);
    registerVoucherListWindows(registry, frame);
    registerVoucherPrintWindows(registry, frame);
    registerDescriptionWindows(registry, frame);
    registerVoucherToolWindows(registry, frame);
    registerVoucherLineWindows(registry, frame);
    registerVoucherForm(registry, frame);
    // The plain definition lists stand in only for report lists nobody registered before them.
    registerDefinitionWindows(registry, frame);
}

int startDesktop(QApplication& app, const std::vector<std::string>& args,
                 const fs::path& programFolder) {
    QtUi bootUi;
    try {
        return run(app, bootUi, args, programFolder);
    } catch (const app::ProgramEnd& end) {
        return end.exitCode();
    }
}

int runDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hesapkar"));
    std::vector<std::string> args;
    const QStringList qargs = QCoreApplication::arguments(); // Qt's own options removed
    for (qsizetype i = 1; i < qargs.size(); ++i) args.push_back(qargs[i].toStdString());
    // The default chart files are installed beside the program.
    return startDesktop(app, args, QCoreApplication::applicationDirPath().toStdString());
}

} // namespace hk::ui
