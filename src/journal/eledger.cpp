#include "journal/eledger.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/dataset.h"
#include "output/atomic_file.h"
#include "output/zip.h"

#include <map>
#include <optional>

namespace hk::journal {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;
namespace fs = std::filesystem;

namespace {

std::string yyyymm(const data::Yasal& y, int month) {
    return text::left(pic::format(monthDates(y, month).start, "d012"), 6);
}

std::string plainInt(double v) {
    return core::numeric::toFixed(v, 0);
}

// The lines of an export file, written in blocks. A write failure names the first line of the
// block that could not be written: up to that line the file is known to be complete.
class LineWriter {
  public:
    explicit LineWriter(output::AtomicFile& file) : file_(file) {}

    Status line(const std::string& s) {
        if (!failed_.ok()) return failed_;
        if (buf_.empty()) blockFirst_ = written_ + 1;
        buf_ += text::clip(s);
        buf_ += "\r\n";
        ++written_;
        if (buf_.size() >= (1u << 16)) return flush();
        return {};
    }
    Status flush() {
        if (!failed_.ok()) return failed_;
        if (buf_.empty()) return {};
        if (auto st = file_.write(buf_); !st) {
            failed_ = st;
            failedLine_ = blockFirst_;
            return st;
        }
        buf_.clear();
        return {};
    }
    long failedLine() const { return failedLine_; }
    long lines() const { return written_; }

  private:
    output::AtomicFile& file_;
    std::string buf_;
    long written_ = 0;
    long blockFirst_ = 1;
    long failedLine_ = 0;
    Status failed_;
};

Error writeFailure(app::Ui& ui, const char* who, long line, const Error& e) {
    const std::string msg = std::string(who) + " dosyasına yazarken " + std::to_string(line) +
                            ". satırda hata oluştu. Lütfen tekrar deneyiniz.\nHata (" +
                            std::to_string(e.code) + "): " + e.text;
    ui.message(msg, "Dosya Yazma Hatası", app::Icon::Critical, "&Tamam", 1);
    return Error::refused(msg, true);
}

// Document types by the type entered on a line.
class DocumentTypes {
  public:
    explicit DocumentTypes(data::TypedTable<data::BelgeTip>& t) : t_(t) {}
    std::string xmlCode(const std::string& type) {
        const std::string key = text::clip(type);
        auto it = cache_.find(key);
        if (it != cache_.end()) return it->second;
        std::string code;
        if (!key.empty()) {
            data::BelgeTip k;
            k.BELGETIPI = key;
            if (auto r = t_.get("BTip:KyBelgeTiplari", k)) code = text::clip(r->BELGETIPI_XML);
        }
        return cache_.emplace(key, code).first->second;
    }

  private:
    data::TypedTable<data::BelgeTip>& t_;
    std::map<std::string, std::string> cache_;
};

// What both exports do around their own lines: the checks, the walk over the month's
// vouchers, numbering, and storing the numbers once the file is complete.
struct Walk {
    Files f;
    data::Yasal company;
    RunRange range;
    JournalState stored, state;
    std::vector<std::pair<std::string, std::int32_t>> numbered; // key -> number given
    std::optional<data::TypedTable<data::BelgeTip>> types;
};

Result<Walk> start(data::DataSet& ds, app::Ui& ui, const ExportOptions& o, bool xml) {
    auto files = Files::open(ds);
    if (!files) return files.error();
    Walk w{std::move(*files), {}, {}, {}, {}, {}, {}};
    auto company = readCompany(w.f.company);
    if (!company) return company.error();
    w.company = *company;
    auto range = checkRun(w.company, o.run);
    if (!range) return range.error();
    w.range = *range;
    if (text::trim(o.recorder).empty()) {
        if (xml) {
            const char* t = "XML doküman oluştururken Eski fişlerde kayıt eden isim hanesi dolu "
                            "olması gereklidir.";
            ui.message(t, "Eksik Bilgi", app::Icon::Warning, "&Tamam", 1);
            return Error::refused(t, true);
        }
        const char* t = "Edefter Kayıt Eden Kişi adı Girilmelidir.";
        ui.message(t, "Uyarı Ekranı", app::Icon::Warning, "&Tamam", 1);
        return Error::refused(t, true);
    }
    if (auto st = checkEarlierMonths(w.f, ui, o.run, w.range); !st) return st.error();
    auto types = ds.open<data::BelgeTip>();
    if (!types) return types.error();
    w.types.emplace(std::move(*types));
    w.stored = w.state = JournalState::of(w.company);
    return w;
}

// Calls `each(header, number, lines, isNew)` for every voucher the run takes, in date order.
template <typename Each>
Status walk(Walk& w, app::Ui& ui, const ExportOptions& o, const char* datePicture, Each each) {
    data::FisBas from;
    from.FISTRH = w.range.start;
    if (auto st = w.f.headers.set("MFB:KeyMuavin", data::Seek::AtOrAfter, from); !st) return st;
    for (;;) {
        auto h = w.f.headers.next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (h->FISTRH > w.range.end) break;
        if (!takes(o.run, *h)) continue;
        ui.progress(plainInt(h->YEVMIYENO) + " - " + pic::format(h->FISTRH, datePicture), -1);
        if (ui.cancelled())
            return Error::refused("e-Defter aktarımı kullanıcı isteğiyle durduruldu.");
        const bool isNew = h->YEVMIYENO == 0;
        const double number = isNew ? w.state.lastNumber + 1 : h->YEVMIYENO;
        auto lines = voucherLines(w.f, h->KEYSTR);
        if (!lines) return lines.error();
        if (auto st = each(*h, number, *lines); !st) return st;
        if (!isNew) continue;
        // Only newly numbered vouchers move the state: the lines of numbered ones are inside
        // the stored totals already.
        w.numbered.emplace_back(h->KEYSTR, static_cast<std::int32_t>(number));
        w.state.lastNumber = number;
        w.state.lastMonth = w.range.month;
        w.state.lastDate = h->FISTRH;
        for (const auto& l : *lines)
            (isDebit(l) ? w.state.debit : w.state.credit) += sideAmount(l);
    }
    if (w.state.lastMonth < w.range.month) w.state.lastMonth = w.range.month;
    return {};
}

// Stores every number given and the state, in one transaction opened by the caller.
Status storeNumbers(Walk& w) {
    for (const auto& [key, number] : w.numbered) {
        data::FisBas k;
        k.KEYSTR = key;
        auto h = w.f.headers.get("MFB:KeyFis", k);
        if (!h) return h.error();
        h->YEVMIYENO = number;
        if (auto st = w.f.headers.put(*h); !st) return st;
    }
    if (w.state.lastMonth != w.stored.lastMonth || !w.numbered.empty())
        return storeState(w.f.company, w.state);
    return {};
}

// A page count reads to the end of the fiscal year: storing its numbers would journalise later
// months under this one, so only a certified run of the month itself stores.
bool stores(const ExportOptions& o) {
    return o.run.certified && !o.run.pageCount;
}

std::string recorderOf(const data::FisBas& h, const std::string& typed) {
    const std::string own = text::clip(h.KPERSONEL);
    return own.empty() ? typed : own;
}

} // namespace

fs::path xmlFileName(const fs::path& folder, const data::Yasal& y, int month) {
    return folder / ("Yevmiye-" + yyyymm(y, month) + ".Xml");
}

fs::path csvFileName(const fs::path& folder, const data::Yasal& y, int branch, int month,
                     const std::string& extension) {
    return folder /
           (text::clip(y.VERGIDAIRESINO) + "_" + pic::format(static_cast<double>(branch), "n04") +
            "_" + yyyymm(y, month) + "_1." + extension);
}

std::string sanitise(const std::string& s) {
    std::string out = text::left(text::clip(s), 500);
    for (char& c : out)
        if (c == '&' || c == '<' || c == '>') c = ' ';
    return text::clip(out);
}

std::string csvField(const std::string& s) {
    std::string out = text::clip(s);
    for (char& c : out)
        if (c == ';') c = ',';
    return out;
}

Result<ExportResult> YevmiyeRaporuXML(data::DataSet& ds, app::Ui& ui, const ExportOptions& o) {
    auto started = start(ds, ui, o, true);
    if (!started) return started.error();
    Walk& w = *started;
    const fs::path target = xmlFileName(o.folder, w.company, w.range.month);
    std::error_code ec;
    fs::remove(target, ec); // the previous file of this month goes, as a new one is made
    auto file = output::AtomicFile::create(target);
    if (!file) return file.error();
    LineWriter out(*file);
    DocumentTypes types(*w.types);
    AccountNames names(w.f.plan);
    ExportResult result;

    Status st = out.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    if (st) st = out.line("<xml>");
    if (st)
        st = walk(w, ui, o, "d06.b",
                  [&](const data::FisBas& h, double number,
                      const std::vector<data::FisDet>& lines) -> Status {
                      ++result.vouchers;
                      const std::string no = plainInt(number);
                      std::vector<std::string> ls = {
                          "<Header>",
                          "<h1>" + sanitise(recorderOf(h, o.recorder)) + "</h1>",
                          "<h2>" + text::clip(pic::format(h.FISTRH, "d06.b")) + "</h2>",
                          "<h3>" + std::to_string(h.FISNO) + "</h3>",
                          "<h4>" + sanitise(entryText(h, number)) + " ]</h4>",
                          "<h5>" + no + "</h5>"};
                      for (const auto& s : ls)
                          if (auto r = out.line(s); !r) return r;
                      for (const auto& l : lines) {
                          const std::string code = text::clip(l.HESAPKODU);
                          const std::string main = text::left(code, 3);
                          const auto& mainAcc = names.get(main);
                          const auto& own = names.get(code);
                          std::string dotted;
                          if (own.found) {
                              dotted = code;
                              for (char& c : dotted)
                                  if (c == ' ') c = '.';
                              dotted = text::left(dotted, text::length(own.code));
                          }
                          std::string type = text::clip(l.BELGETIPI);
                          if (type.empty()) type = "Diğer";
                          std::string desc = text::clip(l.BELGEACIKLAMASI);
                          if (desc.empty()) desc = text::left(l.FISACK, 30);
                          std::string docNo = text::clip(l.BELGENO);
                          if (docNo.empty()) docNo = std::to_string(h.FISNO);
                          const core::Date docDate =
                              l.BELGETARIHI.isSet() ? l.BELGETARIHI : h.FISTRH;
                          std::vector<std::string> ds_ = {
                              "<Detail>",
                              "<d1>" + main + "</d1>",
                              "<d2>" + sanitise(mainAcc.found ? mainAcc.name1 : "") + "</d2>",
                              "<d3>" + sanitise(own.found ? own.name1 : "") + "</d3>",
                              "<d4>" + dotted + "</d4>",
                              "<d5>" + core::numeric::shortest(sideAmount(l)) + "</d5>",
                              std::string("<d6>") + (isDebit(l) ? "D" : "C") + "</d6>",
                              "<d7>" + sanitise(types.xmlCode(type)) + "</d7>",
                              "<d8>" + sanitise(desc) + "</d8>",
                              "<d9>" + sanitise(docNo) + "</d9>",
                              "<d10>" + text::clip(pic::format(docDate, "d06.b")) + "</d10>",
                              "<d11></d11>",
                              "<d12>" + sanitise(l.FISACK) + "</d12>",
                              "</Detail>"};
                          for (const auto& s : ds_)
                              if (auto r = out.line(s); !r) return r;
                      }
                      return out.line("</Header>");
                  });
    if (st) st = out.line("</xml>");
    if (st) st = out.flush();
    if (!st) {
        if (out.failedLine() > 0) return writeFailure(ui, "Idea", out.failedLine(), st.error());
        return st.error();
    }
    if (auto c = file->close(); !c) return writeFailure(ui, "Idea", out.lines(), c.error());

    std::optional<data::Transaction> tx;
    if (stores(o)) {
        tx.emplace(ds.data());
        if (!tx->started()) return tx->started().error();
        if (auto s = storeNumbers(w); !s) return s.error();
    }
    if (auto c = file->commit(); !c) return c.error();
    if (tx)
        if (auto c = tx->commit(); !c) {
            fs::remove(target, ec); // no file without its numbers
            return c.error();
        }
    ui.progressDone();
    result.file = target;
    result.numbered = static_cast<int>(w.numbered.size());
    result.state = stores(o) ? w.state : w.stored;
    ui.message("XML Doküman hazırlandı.\n" + target.string(), "İşlem Tamamlandı",
               app::Icon::Information, "&Tamam", 1);
    return result;
}

Result<ExportResult> YevmiyeRaporuCSV(data::DataSet& ds, app::Ui& ui, const ExportOptions& o) {
    auto started = start(ds, ui, o, false);
    if (!started) return started.error();
    Walk& w = *started;
    const fs::path csv = csvFileName(o.folder, w.company, o.branch, w.range.month, "Csv");
    const fs::path zip = csvFileName(o.folder, w.company, o.branch, w.range.month, "zip");
    std::error_code ec;
    fs::remove(zip, ec); // the previous archive of this month goes, as a new one is made
    auto file = output::AtomicFile::create(csv);
    if (!file) return file.error();
    LineWriter out(*file);
    DocumentTypes types(*w.types);
    AccountNames names(w.f.plan);
    ExportResult result;
    const std::string recorder = csvField(o.recorder);

    auto fullName = [&](const std::string& code) {
        const auto& a = names.get(code);
        if (!a.found) return std::string();
        return csvField(text::clip(a.name1 + " " + a.name2));
    };

    Status st = out.line(
        ";;" + pic::format(w.range.start, "d012") + ";" + pic::format(w.range.end, "d012") +
        ";TR;TRY;" + pic::format(w.company.MALIDONEMBAS, "d012") + ";" +
        pic::format(w.company.MALIDONEMSON, "d012") + ";" + csvField(w.company.VERGIDAIRESINO));
    if (st)
        st = walk(
            w, ui, o, "d06.",
            [&](const data::FisBas& h, double number,
                const std::vector<data::FisDet>& lines) -> Status {
                ++result.vouchers;
                const std::string no = plainInt(number);
                std::string entry = "[YEVMİYE MADDE NO: " + no +
                                    "] [FİŞ TARİHİ: " + pic::format(h.FISTRH, "d06.b") +
                                    ", FİŞ NO:";
                entry = text::clip(entry) + typeWord(h.FISTUR);
                entry += " " + std::to_string(h.FISNO) + "]";
                const std::string head = no + ";" + recorder + ";" + pic::format(h.FISTRH, "d012") +
                                         ";" + std::to_string(h.FISNO) + ";" + csvField(entry) +
                                         ";" + core::numeric::shortest(h.BTOPLAM) + ";" +
                                         core::numeric::shortest(h.ATOPLAM);
                // The document data of the whole voucher come from its first line.
                std::string doc;
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    const auto& l = lines[i];
                    if (i == 0) {
                        data::FisDet first = l;
                        if (o.fillDefaults) {
                            if (text::clip(first.BELGETIPI).empty()) first.BELGETIPI = "Diğer";
                            if (text::clip(first.BELGENO).empty())
                                first.BELGENO = std::to_string(h.FISNO);
                            if (!first.BELGETARIHI.isSet()) first.BELGETARIHI = h.FISTRH;
                            if (text::clip(first.BELGEACIKLAMASI).empty())
                                first.BELGEACIKLAMASI = text::left(first.FISACK, 30);
                        }
                        doc = csvField(types.xmlCode(first.BELGETIPI)) + ";" +
                              csvField(first.BELGEACIKLAMASI) + ";" + csvField(first.BELGENO) +
                              ";" + pic::format(first.BELGETARIHI, "d012") + ";" +
                              csvField(first.BELGEACIKLAMASI2);
                    }
                    const std::string code = text::clip(l.HESAPKODU);
                    const std::size_t blank = code.find(' ');
                    const std::string main =
                        blank == std::string::npos ? code : code.substr(0, blank);
                    const std::string s =
                        head + ";" + csvField(main) + ";" + fullName(main) + ";" + fullName(code) +
                        ";" + csvField(code) + ";" + core::numeric::shortest(sideAmount(l)) + ";" +
                        (isDebit(l) ? "D" : "C") + ";" + pic::format(h.FISTRH, "d012") + ";" +
                        std::to_string(h.FISNO) + ";" + csvField(l.FISACK) + ";" + doc;
                    if (auto r = out.line(s); !r) return r;
                }
                return {};
            });
    if (st) st = out.flush();
    if (!st) {
        if (out.failedLine() > 0) return writeFailure(ui, "eFinans", out.failedLine(), st.error());
        return st.error();
    }
    if (auto c = file->close(); !c) return writeFailure(ui, "eFinans", out.lines(), c.error());

    std::optional<data::Transaction> tx;
    if (stores(o)) {
        tx.emplace(ds.data());
        if (!tx->started()) return tx->started().error();
        if (auto s = storeNumbers(w); !s) return s.error();
    }
    if (auto c = file->commit(); !c) return c.error();
    const core::Status packed = output::packFile(csv.string(), zip.string());
    fs::remove(csv, ec); // only the archive stays
    if (!packed) {
        const std::string msg = "Hata Oluştu: " + std::to_string(packed.error().code);
        ui.message(msg, "Zip - Dosya Sıkıştır", app::Icon::Critical, "&Tamam", 1);
        return Error::refused(msg + " " + packed.error().text, true);
    }
    if (tx)
        if (auto c = tx->commit(); !c) {
            fs::remove(zip, ec); // no archive without its numbers
            return c.error();
        }
    ui.progressDone();
    result.file = zip;
    result.numbered = static_cast<int>(w.numbered.size());
    result.state = stores(o) ? w.state : w.stored;
    ui.message("ZIP dosyası hazırlandı.\n" + zip.string(), "İşlem Tamamlandı",
               app::Icon::Information, "&Tamam", 1);
    return result;
}

} // namespace hk::journal
