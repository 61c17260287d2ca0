#pragma once
// Everything a procedure runs with, for a test: a fresh data folder with its data set, a session
// whose settings file lies in that folder, a master user's rights and the scripted Ui.
//
//     hk::test::ProcedureFixture f;
//     auto st = myProcedure(f.ctx, options);
//     EXPECT_EQ(f.ui.messages.size(), 1u);

#include "app/procedure.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "support/files.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace hk::test {

struct ProcedureFixture {
    TempDir dir{"proc"};
    std::optional<data::DataSet> data;
    app::Session session;
    app::RightsService rights;
    app::testing::FakeUi ui;
    std::optional<app::ProcedureContext> ctxStore;
    app::ProcedureContext& ctx;

    explicit ProcedureFixture(std::string user = "HESAPKAR", bool master = true,
                              app::RightsLookup lookup = {})
        : session(dir.path / "Hesapkar.INI"),
          rights(user, master, std::move(lookup)),
          ctx(open()) {
        session.VeriYolu = (dir.path / "Dat").string();
        session.AktifKullanici = user;
        session.AnaKullanici = master ? 1 : 0;
    }
    ProcedureFixture(const ProcedureFixture&) = delete;
    ProcedureFixture& operator=(const ProcedureFixture&) = delete;

  private:
    app::ProcedureContext& open() {
        auto ds = data::DataSet::open(
            data::Locations::resolve((dir.path / "Dat").string(), dir.path));
        if (!ds) std::abort(); // a test machine that cannot make a folder runs no test at all
        data.emplace(std::move(ds.value()));
        ctxStore.emplace(app::ProcedureContext{session, ui, rights, *data});
        return *ctxStore;
    }
};

} // namespace hk::test
