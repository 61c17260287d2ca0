#include "data/dataset.h"

#include "core/text.h"

#include <sys/statfs.h>

#include <system_error>

namespace hk::data {

namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool isSecurityFile(std::string_view file) {
    static constexpr std::string_view men[] = {"klusers",  "klgrups",  "klgusers", "kldgrups",
                                               "kldusers", "menulist", "belgetip"};
    const std::string f = lowerAscii(file);
    for (auto m : men)
        if (f == m) return true;
    return false;
}

bool isCurrency(std::string_view file) {
    const std::string f = lowerAscii(file);
    return f == "doviz" || f == "ddoviz";
}

bool isWork(std::string_view file) {
    const std::string f = lowerAscii(file);
    return f == "hk" || f == "xhs" || f == "xkebir" || f == "ede" || f == "upl" || f == "akt";
}

} // namespace

Locations Locations::resolve(std::string_view pathArg, const fs::path& currentFolder) {
    Locations l;
    l.program_ = currentFolder;
    const std::string p = core::text::trim(pathArg);
    if (p.empty()) {
        l.data_ = currentFolder / "Dat";
        l.explicit_ = false;
    } else {
        fs::path given(p);
        l.data_ = given.is_absolute() ? given : currentFolder / given;
        l.explicit_ = true;
    }
    return l;
}

Store Locations::storeOf(std::string_view file) const {
    if (isWork(file)) return Store::Work;
    if (isCurrency(file) && explicit_) return Store::Program;
    return Store::Data;
}

fs::path Locations::databaseOf(Store s) const {
    return s == Store::Program ? program_ / std::string(kProgramDatabase)
                               : data_ / std::string(kDataDatabase);
}

fs::path Locations::fileName(std::string_view file) const {
    const std::string f(file);
    if (isCurrency(file)) {
        const FileDef* d = currentLayout(file);
        const std::string n = d ? d->file : f;
        return explicit_ ? program_ / (n + ".Men") : data_ / (n + ".Hkr");
    }
    if (isSecurityFile(file)) {
        const FileDef* d = currentLayout(file);
        return data_ / ((d ? d->file : f) + ".Men");
    }
    if (lowerAscii(file) == "xkebir") return data_ / "XKebir.Tmp";
    const FileDef* d = currentLayout(file);
    return data_ / ((d ? d->file : f) + ".Hkr");
}

fs::path Locations::workFileName(Layout l, std::uint32_t n) const {
    const std::string stem = l == Layout::XHsp ? "XHs" : l == Layout::XKebir ? "XKebir" : "Hk";
    if (l == Layout::XKebir) return data_ / "XKebir.Tmp";
    return data_ / (stem + std::to_string(n) + ".Tmp");
}

std::uint32_t Locations::randomWorkNumber(Layout l, std::mt19937& rng) {
    std::uniform_int_distribution<std::uint32_t> d(1, l == Layout::XHsp ? 99999u : 999999u);
    return d(rng);
}

core::Status checkLocalFolder(const fs::path& folder) {
    struct statfs s {};
    if (::statfs(folder.c_str(), &s) != 0)
        return {}; // a missing folder is reported by whoever creates it
    constexpr unsigned long kNfs = 0x6969, kSmb = 0x517B, kCifs = 0xFF534D42, kSmb2 = 0xFE534D42;
    const auto t = static_cast<unsigned long>(static_cast<unsigned int>(s.f_type));
    if (t == kNfs || t == kSmb || t == kCifs || t == kSmb2)
        return engineError(ErrorCode::AccessDenied, folder.string(),
                           "Veri klasörü bir ağ sürücüsünde; bu klasöre yazılamaz. Verileri yerel "
                           "bir diske taşıyınız.",
                           23);
    return {};
}

DataSet::DataSet(Locations w, std::unique_ptr<Database> d, std::unique_ptr<Database> p)
    : where_(std::move(w)), data_(std::move(d)), program_(std::move(p)),
      rng_(std::random_device{}()) {}

core::Result<DataSet> DataSet::open(const Locations& where, Access a) {
    const bool ro = a == Access::ReadOnly;
    std::vector<fs::path> folders{where.dataFolder()};
    if (where.hasDataFolder()) folders.push_back(where.programFolder());
    for (const fs::path& f : folders) {
        if (!ro) {
            std::error_code ec;
            fs::create_directories(f, ec);
            if (ec) return engineError(ErrorCode::AccessDenied, f.string(), ec.message(), 10);
            if (auto st = checkLocalFolder(f); !st) return st.error();
        }
    }
    OpenOptions o;
    o.readOnly = ro;
    o.create = !ro;
    auto d = Database::open(where.databaseOf(Store::Data), o);
    if (!d) return d.error();
    std::unique_ptr<Database> program;
    if (where.hasDataFolder()) {
        auto p = Database::open(where.databaseOf(Store::Program), o);
        if (!p) return p.error();
        program = std::make_unique<Database>(std::move(*p));
    }
    return DataSet(where, std::make_unique<Database>(std::move(*d)), std::move(program));
}

Database& DataSet::databaseOf(std::string_view file) {
    return where_.storeOf(file) == Store::Program ? program() : data();
}

core::Result<Table> DataSet::open(Layout l, bool create) {
    const FileDef& d = fileDef(l);
    if (where_.storeOf(d.file) == Store::Work) return workFile(l);
    auto t = databaseOf(d.file).table(d, create);
    if (!t) {
        auto e = t.error();
        // Messages name the file as the program shows it.
        if (e.file == d.file) e.file = where_.fileName(d.file).string();
        return e;
    }
    return t;
}

Table DataSet::workFile(Layout l) {
    const auto n = Locations::randomWorkNumber(l, rng_);
    return Table::memory(fileDef(l), where_.workFileName(l, n).filename().string());
}

core::Result<Transaction> DataSet::begin(std::string_view file) {
    return Transaction::begin(file.empty() ? data() : databaseOf(file));
}

} // namespace hk::data
