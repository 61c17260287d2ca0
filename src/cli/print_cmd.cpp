// hesapkar-cli print: lays a UTF-8 text file out through the page writer into a PDF, or into
// exactly the bytes a raw print queue would receive (to a file or to a CUPS queue).
#include "cli/commands.h"

#include "core/text.h"
#include "output/page.h"
#include "output/printer.h"
#include "output/raw.h"

#ifdef HK_HAVE_RENDER
#include "ui/render/page_render.h"
#include "ui/render/pdf_writer.h"

#include <QGuiApplication>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string_view>
#include <string>

namespace hk::cli {

namespace {

using core::Error;
using core::Result;
using core::Status;

constexpr const char* kUsage =
    "TEXTFILE (--pdf OUT [--font-size N] [--landscape] | --raw OUT --kind NPQ|LPQ | "
    "--queue NAME [--kind NPQ|LPQ]) [--lines N]: lays a UTF-8 text out in pages (form feeds "
    "start pages)";

// The text is read in blocks and laid out line by line, so a file of any length prints in the
// memory of one block. A "line" longer than this is not a report line but a file of another
// kind: refusing it keeps that memory bounded too.
constexpr std::size_t kMaxInputLineBytes = 16 * 1024;
constexpr std::size_t kInputBlock = 64 * 1024;

struct Options {
    std::string input;
    std::string pdf;
    std::string raw;
    std::string queue;
    std::optional<output::PrinterKind> kind;
    double fontSize = 10.0;
    bool landscape = false;
    int lines = -1; // -1: the route's default
};

std::optional<int> parseInt(const std::string& s) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    return std::stoi(s);
}

Result<Options> parse(const Args& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> Result<std::string> {
            if (i + 1 >= args.size()) return Error::of(2, std::string(name) + " için değer eksik");
            return args[++i];
        };
        if (a == "--pdf" || a == "--raw" || a == "--queue" || a == "--kind" || a == "--font-size" ||
            a == "--lines") {
            auto v = value(a.c_str());
            if (!v) return v.error();
            if (a == "--pdf")
                o.pdf = *v;
            else if (a == "--raw")
                o.raw = *v;
            else if (a == "--queue")
                o.queue = *v;
            else if (a == "--kind") {
                const std::string k = core::text::upperTr(*v);
                if (k == "NPQ")
                    o.kind = output::PrinterKind::Npq;
                else if (k == "LPQ")
                    o.kind = output::PrinterKind::Lpq;
                else
                    return Error::of(2, "--kind NPQ ya da LPQ olmalı: \"" + *v + "\"");
            } else if (a == "--font-size") {
                auto n = parseInt(*v);
                if (!n || *n < 4 || *n > 72)
                    return Error::of(2, "--font-size 4 ile 72 arasında bir tam sayı olmalı: \"" +
                                            *v + "\"");
                o.fontSize = *n;
            } else {
                auto n = parseInt(*v);
                if (!n || *n > 10000)
                    return Error::of(2, "--lines 0 ile 10000 arasında bir tam sayı olmalı: \"" +
                                            *v + "\"");
                o.lines = *n;
            }
        } else if (a == "--landscape") {
            o.landscape = true;
        } else if (!a.empty() && a[0] == '-') {
            return Error::of(2, "bilinmeyen seçenek \"" + a + "\"");
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return Error::of(2, "fazla argüman \"" + a + "\"");
        }
    }
    if (o.input.empty()) return Error::of(2, "metin dosyası verilmedi");
    const int routes = !o.pdf.empty() + !o.raw.empty() + !o.queue.empty();
    if (routes != 1)
        return Error::of(2, "--pdf, --raw ve --queue seçeneklerinden tam biri gerekli");
    if (!o.raw.empty() && !o.kind) return Error::of(2, "--raw için --kind NPQ|LPQ gerekli");
    if (!o.pdf.empty() && o.kind) return Error::of(2, "--kind yalnız ham yazıcı çıkışı içindir");
    return o;
}

// The input, opened before any output is: a missing or unreadable file must not start a job.
Result<std::unique_ptr<std::ifstream>> openInput(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) return Error::of(1, path + " okunamadı: " + ec.message(), path);
    if (!std::filesystem::is_regular_file(status))
        return Error::of(1, path + " okunamadı: sıradan bir dosya değil", path);
    auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*in) return Error::of(1, path + " okunamadı: " + std::strerror(errno), path);
    return in;
}

// Tabs to the next multiple of eight columns, counted in characters.
std::string expandTabs(const std::string& line) {
    if (line.find('\t') == std::string::npos) return line;
    std::string out;
    std::size_t col = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            const std::string piece = line.substr(start, i - start);
            out += piece;
            col += core::text::length(piece);
            if (i < line.size()) {
                const std::size_t next = (col / 8 + 1) * 8;
                out.append(next - col, ' ');
                col = next;
            }
            start = i + 1;
        }
    }
    return out;
}

// Lines end with LF or CR LF; a form feed anywhere ends the page there. Empty pieces next to a
// form feed are the page break itself, not blank lines.
Status layLine(std::string& line, int lineNo, output::PageWriter& w) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool hasFormFeed = line.find('\f') != std::string::npos;
    std::size_t s = 0;
    for (bool first = true;; first = false) {
        const std::size_t f = line.find('\f', s);
        const std::string piece =
            line.substr(s, f == std::string::npos ? std::string::npos : f - s);
        if (!first)
            if (auto st = w.endPage(); !st) return st;
        if (!hasFormFeed || !piece.empty())
            if (auto st = w.write(expandTabs(piece)); !st)
                return Error::of(1, "satır " + std::to_string(lineNo) + ": " + st.error().text);
        if (f == std::string::npos) break;
        s = f + 1;
    }
    return {};
}

Status layText(std::istream& in, const std::string& path, output::PageWriter& w) {
    std::string buf(kInputBlock, '\0');
    std::string line;
    int lineNo = 0;
    auto one = [&]() -> Status {
        ++lineNo;
        if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        if (!core::text::isValidUtf8(line))
            return Error::of(1, path + " geçerli bir UTF-8 metin dosyası değil (satır " +
                                    std::to_string(lineNo) + ")",
                             path);
        Status st = layLine(line, lineNo, w);
        line.clear();
        return st;
    };
    for (;;) {
        in.read(buf.data(), std::streamsize(buf.size()));
        const std::size_t got = std::size_t(in.gcount());
        if (got == 0) break;
        std::string_view block(buf.data(), got);
        while (!block.empty()) {
            const std::size_t nl = block.find('\n');
            line.append(block.substr(0, nl));
            if (line.size() > kMaxInputLineBytes)
                return Error::of(1, path + ": satır " + std::to_string(lineNo + 1) +
                                        " bir rapor satırı olamayacak kadar uzun",
                                 path);
            if (nl == std::string_view::npos) break;
            block.remove_prefix(nl + 1);
            if (auto st = one(); !st) return st;
        }
    }
    if (in.bad()) return Error::of(1, path + " okunurken hata oluştu", path);
    if (!line.empty()) return one();
    return {};
}

int fail(const std::string& text, int code = 1) {
    std::fprintf(stderr, "hesapkar-cli print: %s\n", text.c_str());
    return code;
}

int printRaw(const Options& o, std::istream& text) {
    const output::PrinterKind kind =
        o.kind ? *o.kind : output::printerKind(o.queue); // a queue's name tells its kind
    auto target = o.raw.empty() ? output::openRawQueue(o.queue) : output::openRawFile(o.raw);
    if (!target) return fail(target.error().text);
    output::RawSink sink(std::move(*target));
    output::PageWriter w({kind, o.lines < 0 ? 0 : o.lines, 1}, sink);
    if (auto st = layText(text, o.input, w); !st) return fail(st.error().text);
    if (auto st = w.finish(); !st) return fail(st.error().text);
    return 0;
}

#ifdef HK_HAVE_RENDER
int printPdf(const Options& o, std::istream& text) {
    // A PDF needs fonts and a paint engine but no screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "hesapkar-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    output::PageStyle style;
    style.fontPoints = o.fontSize;
    style.landscape = o.landscape;
    const int lines = o.lines < 0 ? ui::render::linesThatFit(style) : o.lines;
    auto sink =
        ui::render::PdfSink::open(o.pdf, style, std::filesystem::path(o.input).filename().string());
    if (!sink) return fail(sink.error().text);
    output::PageWriter w({output::PrinterKind::Ordinary, lines, 1}, **sink);
    if (auto st = layText(text, o.input, w); !st) return fail(st.error().text);
    if (auto st = w.finish(); !st) return fail(st.error().text);
    return 0;
}
#endif

} // namespace

int runPrint(const Args& args) {
    auto o = parse(args);
    if (!o) return fail(o.error().text + "\nkullanım: hesapkar-cli print " + kUsage, 2);
    auto text = openInput(o->input);
    if (!text) return fail(text.error().text);
    if (!o->pdf.empty()) {
#ifdef HK_HAVE_RENDER
        return printPdf(*o, **text);
#else
        return fail("bu hesapkar-cli PDF çizicisi olmadan derlendi");
#endif
    }
    return printRaw(*o, **text);
}

const char* printUsage() {
    return kUsage;
}

} // namespace hk::cli
