#pragma once
// Small helpers shared by the data tests: a scratch folder per test and a table of either engine.

#include "data/database.h"
#include "data/table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace hk::data::test {

// The value of a result the test cannot go on without.
template <typename T> T must(core::Result<T> r) {
    if (!r.ok()) {
        ADD_FAILURE() << r.error().describe() << " " << r.error().file;
        std::abort();
    }
    return std::move(r).value();
}

class ScratchDir {
  public:
    ScratchDir() {
        std::random_device rd;
        path_ = std::filesystem::path(::testing::TempDir()) /
                ("hk_data_" + std::to_string(rd()) + "_" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// SqliteEscapedKeys: a database made with the key form of earlier versions (keycodec.h), as the
// data folders made by them are still opened and written.
enum class Engine { Sqlite, Memory, SqliteEscapedKeys };
inline std::string engineName(const ::testing::TestParamInfo<Engine>& i) {
    switch (i.param) {
    case Engine::Sqlite:
        return "Sqlite";
    case Engine::Memory:
        return "Memory";
    case Engine::SqliteEscapedKeys:
        return "SqliteEscapedKeys";
    }
    return "?";
}
inline bool isSqlite(Engine e) {
    return e != Engine::Memory;
}

// Opens a table of the layout on the chosen engine; the database lives in `dir`.
class EngineFixture : public ::testing::TestWithParam<Engine> {
  protected:
    Table open(Layout l) {
        if (GetParam() == Engine::Memory) return Table::memory(fileDef(l), fileDef(l).file);
        if (!db_) {
            OpenOptions o;
            if (GetParam() == Engine::SqliteEscapedKeys) o.newKeys = KeyFormat::Escaped;
            auto d = Database::open(dir_.path() / "test.db", o);
            EXPECT_TRUE(d.ok()) << (d.ok() ? "" : d.error().describe());
            db_ = std::make_unique<Database>(std::move(*d));
        }
        auto t = db_->table(fileDef(l));
        EXPECT_TRUE(t.ok()) << (t.ok() ? "" : t.error().describe());
        return std::move(*t);
    }
    ScratchDir dir_;
    std::unique_ptr<Database> db_;
};

// Every value of `field` in the order of `key`; a read error fails the test.
inline std::vector<std::string> readAll(Table& t, std::string_view key, std::string_view field,
                                        Direction d = Direction::Forward) {
    std::vector<std::string> out;
    const Record whole(t.def()); // no parts: the whole key
    auto st = t.scanPrefix(
        key, whole, 0,
        [&]() -> core::Result<bool> {
            out.push_back(*t.buffer().text(field));
            return true;
        },
        d);
    EXPECT_TRUE(st.ok()) << (st.ok() ? "" : st.error().describe());
    return out;
}

inline std::vector<std::string> readAllBackwards(Table& t, std::string_view key,
                                                 std::string_view field) {
    return readAll(t, key, field, Direction::Backward);
}

} // namespace hk::data::test
