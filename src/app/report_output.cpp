#include "app/report_output.h"

#include "app/sheet_export.h"
#include "output/raw.h"
#include "output/textfile.h"

#include <cerrno>
#include <cstdio>

namespace hk::app {

using core::Error;
using core::Result;
using core::Status;

namespace {

// Lines on standard output: UTF-8 lines ended by LF for a terminal, or the text file's own bytes.
class StdoutSink final : public output::PageSink {
  public:
    explicit StdoutSink(output::TextEncoding enc) : encoding_(enc) {}
    Status page(const output::Page& p) override {
        for (const auto& l : p.lines)
            if (auto st = line(l); !st) return st;
        return {};
    }
    Status finish() override {
        if (std::fflush(stdout) != 0) return Error::of(errno, "standart çıktı yazılamadı");
        return {};
    }
    bool streamsLines() const override { return true; }
    Status line(const output::Line& l) override {
        if (encoding_ == output::TextEncoding::Utf8) {
            std::printf("%s\n", l.visibleText().c_str());
            return {};
        }
        output::TextFileOptions o;
        o.encoding = encoding_;
        auto bytes = output::encodeTextLine(l, o);
        if (!bytes) return bytes.error();
        std::fwrite(bytes->data(), 1, bytes->size(), stdout);
        return {};
    }

  private:
    output::TextEncoding encoding_;
};

} // namespace

Status OpenedOutput::finish() {
    if (!sheet) return {};
    auto p = exportReport(*sheet, {xlsxPath, false, {}});
    if (!p) return p.error();
    return {};
}

Result<OpenedOutput> openOutput(const OutputChoice& c, const PdfOpener& pdf,
                                const output::PageStyle& pdfStyle) {
    OpenedOutput out;
    switch (c.destination) {
    case Destination::None:
    case Destination::Preview:
        return Error::badInput("Çıktı seçilmedi");
    case Destination::Raw:
    case Destination::Queue: {
        out.kind = c.kind;
        auto target = c.destination == Destination::Raw ? output::openRawFile(c.path)
                                                        : output::openRawQueue(c.queue);
        if (!target) return target.error();
        out.sink = std::make_unique<output::RawSink>(std::move(*target));
        return out;
    }
    case Destination::Txt: {
        out.textFile = true;
        if (c.toStdout()) {
            out.sink = std::make_unique<StdoutSink>(c.encoding);
            return out;
        }
        output::TextFileOptions o;
        o.encoding = c.encoding;
        auto s = output::TextFileSink::open(c.path, o);
        if (!s) return s.error();
        out.sink = std::move(*s);
        return out;
    }
    case Destination::Xlsx:
        if (c.path.empty()) return Error::badInput("--xlsx bir dosya adı ister");
        out.xlsxPath = c.path;
        out.sheet.emplace();
        return out;
    case Destination::Pdf: {
        if (!pdf)
            return Error::badInput("Bu programda PDF çıkışı yok; --txt, --xlsx ya da --raw "
                                   "kullanın.");
        auto s = pdf(c.path, pdfStyle);
        if (!s) return s.error();
        out.sink = std::move(*s);
        return out;
    }
    }
    return Error::badInput("Çıktı seçilmedi");
}

} // namespace hk::app
