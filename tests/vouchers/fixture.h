#pragma once
// A small company in a temporary data folder: the company record, a few accounts, a session and
// a scripted Ui. Vouchers are built line by line and saved through the voucher engine.
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/records.h"
#include "vouchers/books.h"
#include "vouchers/voucher.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace hk::vouchers::testing {

namespace fs = std::filesystem;

inline data::FisDet line(const std::string& code, double debit, double credit,
                         const std::string& text = {}) {
    data::FisDet l;
    l.HESAPKODU = code;
    l.TLBORC = debit;
    l.TLALACAK = credit;
    l.BORCALACAK = debit != 0 ? "B" : "A";
    l.FISACK = text;
    return l;
}

class Company : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hk_vouchers_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        auto ds = data::DataSet::open(data::Locations::resolve(dir_.string(), dir_));
        ASSERT_TRUE(ds) << ds.error().text;
        ds_ = std::make_unique<data::DataSet>(std::move(*ds));
        session_ = std::make_unique<app::Session>(dir_ / "Hesapkar.INI");
        session_->AktifKullanici = "SUPERVISOR1234";
        company_.SIRKETUNVANI1 = "Deneme";
        company_.MALIDONEMBAS = core::Date{1, 1, 2015};
        company_.MALIDONEMSON = core::Date{31, 12, 2015};
        company_.FISNUMARALAMADUZENI = "B";
        company_.FISNOSIRASI = "A";
        company_.KASAHESAPKODU = "100 01";
        auto y = ds_->open<data::Yasal>();
        ASSERT_TRUE(y);
        ASSERT_TRUE(y->add(company_));
        session_->setCompany(company_);
        ASSERT_TRUE(session_->setCalisilanAy(3));
        for (const char* c : {"100", "100 01", "120", "120 01", "120 01 005", "120 01 006", "320",
                              "320 01", "600", "600 01", "191", "191 01", "391", "391 01"})
            addAccount(c);
    }
    void TearDown() override {
        ds_.reset();
        fs::remove_all(dir_);
    }

    void addAccount(const std::string& code, const std::string& currency = {}) {
        auto p = ds_->open<data::HsPlan>();
        ASSERT_TRUE(p);
        data::HsPlan h;
        h.HESAPKODU = code;
        h.HESAPAD1 = "Hesap " + code;
        // Main accounts have no blank; "120 01" is the one group level; the rest are details.
        h.NTLK = code.find(' ') == std::string::npos ? "K" : code == "120 01" ? "G" : "M";
        h.DOVIZKODU = currency;
        ASSERT_TRUE(p->add(h)) << code;
    }
    void removeAccount(const std::string& code) {
        auto p = ds_->open<data::HsPlan>();
        ASSERT_TRUE(p);
        data::HsPlan k;
        k.HESAPKODU = code;
        ASSERT_TRUE(p->get("HSP:KeyHesap", k));
        ASSERT_TRUE(p->erase());
    }
    // Changes the stored company record.
    template <typename F> void changeCompany(F&& f) {
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b);
        auto y = b->readCompany();
        ASSERT_TRUE(y);
        f(*y);
        ASSERT_TRUE(b->writeCompany(*y));
        session_->setCompany(*y);
    }
    data::Yasal storedCompany() {
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b);
        return *b->readCompany();
    }
    data::HsPlan account(const std::string& code) {
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b);
        auto h = b->account(code);
        EXPECT_TRUE(h) << code;
        return h ? *h : data::HsPlan{};
    }
    Env env() { return Env{*session_, ui_, *ds_}; }

    // Every stored voucher header, in key order.
    std::vector<data::FisBas> heads() {
        auto b = Books::open(*ds_);
        std::vector<data::FisBas> out;
        EXPECT_TRUE(b->heads.set("MFB:KeyFis"));
        while (auto h = b->heads.next()) out.push_back(*h);
        return out;
    }
    // How many headers (or lines) are stored.
    long count(bool headers) {
        auto b = Books::open(*ds_);
        return static_cast<long>(headers ? *b->heads.count() : *b->lines.count());
    }
    // A file of the given content in the company's folder.
    fs::path put(const std::string& name, const std::string& content) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

    // A new voucher of the working month on `day`, saved; the key or the error.
    core::Result<std::string> saveNew(int day, std::initializer_list<data::FisDet> lines,
                                      const std::string& type = "M",
                                      const std::string& attribute = "N",
                                      const AskCash& cash = {}) {
        Draft d = newDraft(*session_);
        d.header.FISTUR = type;
        d.header.FISNTLK = attribute;
        d.header.FISTRH = core::Date::make(session_->CalisilanAy(), day, 2015);
        int n = 0;
        for (auto l : lines) insertLine(d.lines, l, n++);
        Env e = env();
        return save(e, d, cash);
    }

    fs::path dir_;
    std::unique_ptr<data::DataSet> ds_;
    std::unique_ptr<app::Session> session_;
    app::testing::FakeUi ui_;
    data::Yasal company_;
};

} // namespace hk::vouchers::testing
