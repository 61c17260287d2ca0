#pragma once
// A scratch data folder with the chart, currency and rate files, and small builders for the
// accounts tests.

#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "data/records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace hk::accounts::test {

template <typename T> T must(core::Result<T> r) {
    if (!r.ok()) {
        ADD_FAILURE() << r.error().describe() << " " << r.error().file;
        std::abort();
    }
    return std::move(r).value();
}
inline void must(const core::Status& st) {
    if (!st.ok()) {
        ADD_FAILURE() << st.error().describe();
        std::abort();
    }
}

class Folder : public ::testing::Test {
  protected:
    Folder() {
        std::random_device rd;
        dir_ = std::filesystem::path(::testing::TempDir()) /
               ("hk_acc_" + std::to_string(rd()) + "_" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        data_.emplace(must(data::DataSet::open(data::Locations::resolve(dir_.string(), dir_))));
    }
    ~Folder() override {
        data_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    data::DataSet& data() { return *data_; }
    const std::filesystem::path& dir() const { return dir_; }

    // Writes accounts straight to the file, bypassing the entry rules (a converted chart).
    void put(const std::string& code, const std::string& ntlk, const std::string& name = "Ad") {
        auto plan = must(data().open<data::HsPlan>());
        data::HsPlan a;
        a.HESAPKODU = code;
        a.NTLK = ntlk;
        a.HESAPAD1 = name;
        must(plan.add(a));
    }
    void putRecord(const data::HsPlan& a) {
        auto plan = must(data().open<data::HsPlan>());
        must(plan.add(a));
    }
    std::int64_t accountCount() { return must(must(data().open<data::HsPlan>()).count()); }

    app::testing::FakeUi ui;

  private:
    std::filesystem::path dir_;
    std::optional<data::DataSet> data_;
};

} // namespace hk::accounts::test
