#pragma once
// The voucher commands' fixture: a fresh data folder (`init`) whose chart has the groups 120 01,
// 320 01 and 600 01, each with nine detail accounts (120 01 001 .. 120 01 009, ...).
#include "data/database.h"
#include "data/records.h"
#include "support/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class ChartCli : public hk::test::CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        auto r = cli({"init", dir()});
        ASSERT_EQ(r.code, 0) << r.out << r.err;
        auto db = hk::data::Database::open(std::filesystem::path(dir()) / "Hesapkar.db");
        ASSERT_TRUE(db);
        auto t = db->table(hk::data::fileDef(hk::data::Layout::HsPlan));
        ASSERT_TRUE(t);
        hk::data::TypedTable<hk::data::HsPlan> plan(std::move(*t));
        auto add = [&](const std::string& code, const char* kind) {
            hk::data::HsPlan h;
            h.HESAPKODU = code;
            h.HESAPAD1 = "Test " + code;
            h.NTLK = kind;
            ASSERT_TRUE(plan.add(h)) << code;
        };
        for (const char* g : {"120 01", "320 01", "600 01"}) {
            add(g, "G");
            for (int i = 1; i <= 9; ++i) add(std::string(g) + " 00" + std::to_string(i), "M");
        }
    }
};
