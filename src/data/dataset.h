#pragma once
// Where the files of a company live, and the data set that opens them.
//
// The data folder is the "Path" given on the command line or, without one, "Dat" below the
// current folder. Every logical data file of that folder is a table of one database,
// <data folder>/Hesapkar.db. The currency files Doviz and DDoviz are program-wide when a data
// folder was given: they live in the current (program) folder in their own database
// "Hesapkar.Men.db"; without a data folder they belong to "Dat" like the rest. Work files
// ("Hk<n>.Tmp", "XHs<n>.Tmp", "XKebir.Tmp") are memory tables private to the run. The full
// mapping is in README.md.

#include "core/result.h"
#include "data/database.h"
#include "data/dictionary.h"
#include "data/table.h"

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace hk::data {

inline constexpr std::string_view kDataDatabase = "Hesapkar.db";
inline constexpr std::string_view kProgramDatabase = "Hesapkar.Men.db";
inline constexpr std::string_view kProgramVersion = "302008";

enum class Store : std::uint8_t { Data, Program, Work };

class Locations {
  public:
    // `pathArg` is the value of "Path" (empty when none was given); `currentFolder` is the
    // program's current folder.
    static Locations resolve(std::string_view pathArg, const std::filesystem::path& currentFolder);

    const std::filesystem::path& dataFolder() const { return data_; }
    const std::filesystem::path& programFolder() const { return program_; }
    bool hasDataFolder() const { return explicit_; }

    // Which store holds a logical file ("HsPlan", "Doviz", "Hk", ...).
    Store storeOf(std::string_view file) const;
    std::filesystem::path databaseOf(Store s) const;
    // The file's own name as the program shows it: "<D>/HsPlan.Hkr", "<cur>/Doviz.Men",
    // "<D>/KLUsers.Men", "<D>/XKebir.Tmp"; for the numbered work files use workFileName.
    std::filesystem::path fileName(std::string_view file) const;
    // "<D>/Hk<n>.Tmp" (TMP, n 1..999999) or "<D>/XHs<n>.Tmp" (XHSP, n 1..99999).
    std::filesystem::path workFileName(Layout l, std::uint32_t n) const;
    // A random n in the range of that work file.
    static std::uint32_t randomWorkNumber(Layout l, std::mt19937& rng);

  private:
    std::filesystem::path data_, program_;
    bool explicit_ = false;
};

// Refuses, for writing, a folder on a network file system (NFS, SMB/CIFS): WAL needs a local
// disk. AccessDenied with a message the user can act on.
core::Status checkLocalFolder(const std::filesystem::path& folder);

enum class Access : std::uint8_t { ReadWrite, ReadOnly };

// The open databases of one data folder. Move-only; one per thread that works on the data.
class DataSet {
  public:
    // Opens the data folder's database and the program-wide one (creating folders and databases
    // when missing, unless read-only). A folder on a network share is refused for writing.
    static core::Result<DataSet> open(const Locations& where, Access a = Access::ReadWrite);

    const Locations& locations() const { return where_; }
    Database& data() { return *data_; }
    Database& program() { return program_ ? *program_ : *data_; }
    // The database that holds a logical file.
    Database& databaseOf(std::string_view file);

    // Opens a data file under its current layout, creating it when missing (create = true).
    core::Result<Table> open(Layout l, bool create = true);
    template <RecordStruct T> core::Result<TypedTable<T>> open(bool create = true) {
        auto t = open(T::kLayout, create);
        if (!t) return t.error();
        return TypedTable<T>(std::move(*t));
    }
    // A unit of work on the database holding `file` ("Doviz" lives in the program's database when
    // a data folder was given); without a file, on the data folder's database. Message 21 when
    // it cannot start.
    core::Result<Transaction> begin(std::string_view file = {});

    // A fresh memory work file of the layout, named like its file on disk ("Hk123.Tmp").
    Table workFile(Layout l);

  private:
    DataSet(Locations w, std::unique_ptr<Database> d, std::unique_ptr<Database> p);
    Locations where_;
    std::unique_ptr<Database> data_;
    std::unique_ptr<Database> program_; // null when the currency files live with the data
    std::mt19937 rng_;
};

} // namespace hk::data
