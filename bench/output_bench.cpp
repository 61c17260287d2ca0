// Report lines through the page writer into the output routes: raw printer bytes to a file, a
// text file, and (when built with the renderer) a PDF. Each route runs in a child process of
// its own, so the peak resident memory printed is that route's alone. Every route runs twice:
// streamed line by line (what the reports use) and through whole pages, the way a sink that
// takes only pages is fed (the writer then holds a page until it ends; without page breaks,
// the whole report).
//
//     hk_output_bench [lines] [folder]

#include "output/page.h"
#include "output/raw.h"
#include "output/textfile.h"

#ifdef HK_HAVE_RENDER
#include "ui/render/page_render.h"
#include "ui/render/pdf_writer.h"

#include <QGuiApplication>
#endif

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

using namespace hk;
namespace fs = std::filesystem;

namespace {

// Hides a sink's line-by-line way in, so that the writer hands it whole pages.
class WholePages final : public output::PageSink {
  public:
    explicit WholePages(output::PageSink& inner) : inner_(inner) {}
    core::Status page(const output::Page& p) override { return inner_.page(p); }
    core::Status finish() override { return inner_.finish(); }

  private:
    output::PageSink& inner_;
};

// A ledger-like line of about 110 characters, Turkish letters included.
std::string line(long i) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "%02ld.%02ld.2024 %8ld 120 01 %03ld  Çağdaş Ticaret Şti. fatura ödemesi  "
                  "%14.2f %14.2f",
                  1 + i % 28, 1 + i % 12, i, i % 1000, double(i % 100000) * 1.37,
                  double(i % 7000) * 2.11);
    return buf;
}

core::Status writeLines(output::PageSink& sink, long lines, int perPage) {
    output::PageWriter w({output::PrinterKind::Npq, perPage, 1}, sink);
    w.setPageHeader([](output::PageWriter& pw) {
        return pw.writeEmphasised("MUAVİN DEFTERİ  Sayfa " + std::to_string(pw.pageNumber()));
    });
    for (long i = 0; i < lines; ++i)
        if (auto st = w.write(line(i)); !st) return st;
    return w.finish();
}

using Route = std::function<core::Status(long lines, bool streamed, const fs::path& out)>;

core::Status raw(long lines, bool streamed, const fs::path& out) {
    auto target = output::openRawFile(out);
    if (!target) return target.error();
    output::RawSink sink(std::move(*target));
    WholePages pages(sink);
    // Raw output of a ledger without automatic breaks: one "page" of every line.
    return writeLines(streamed ? static_cast<output::PageSink&>(sink) : pages, lines, 0);
}

core::Status text(long lines, bool streamed, const fs::path& out) {
    auto sink = output::TextFileSink::open(out);
    if (!sink) return sink.error();
    WholePages pages(**sink);
    return writeLines(streamed ? static_cast<output::PageSink&>(**sink) : pages, lines, 0);
}

#ifdef HK_HAVE_RENDER
core::Status pdf(long lines, bool, const fs::path& out) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "hk_output_bench";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    output::PageStyle style;
    auto sink = ui::render::PdfSink::open(out.string(), style, "bench");
    if (!sink) return sink.error();
    return writeLines(**sink, lines, ui::render::linesThatFit(style));
}
#endif

void measure(const char* label, const Route& route, long lines, bool streamed,
             const fs::path& out) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto start = std::chrono::steady_clock::now();
        core::Status st = route(lines, streamed, out);
        const double secs =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage ru{};
        ::getrusage(RUSAGE_SELF, &ru);
        // The machine is shared: CPU time says what the route costs, wall time what the
        // neighbours left of it.
        const double cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
        std::error_code ec;
        const auto size = fs::file_size(out, ec);
        if (!st)
            std::printf("%-6s %-11s failed: %s\n", label, streamed ? "streamed" : "whole page",
                        st.error().text.c_str());
        else
            std::printf("%-6s %-11s %9ld lines  cpu %7.2f s  wall %7.2f s  peak %7.1f MB  file "
                        "%7.1f MB\n",
                        label, streamed ? "streamed" : "whole page", lines, cpu, secs,
                        double(ru.ru_maxrss) / 1024.0, double(ec ? 0 : size) / 1048576.0);
        std::fflush(stdout);
        ::_exit(st ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    fs::remove(out);
}

} // namespace

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    std::printf("%ld report lines of about 110 characters\n", lines);
    for (bool streamed : {true, false}) {
        measure("raw", raw, lines, streamed, dir / "hk_bench.prn");
        measure("text", text, lines, streamed, dir / "hk_bench.txt");
    }
#ifdef HK_HAVE_RENDER
    measure("pdf", pdf, lines, true, dir / "hk_bench.pdf");
#endif
    return 0;
}
