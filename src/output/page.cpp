#include "output/page.h"

#include "core/text.h"

namespace hk::output {

using core::Error;
using core::Status;

Line Line::text(std::string_view utf8) {
    Line l;
    l.addText(utf8);
    return l;
}

Line Line::control(std::string_view bytes) {
    Line l;
    l.addControl(bytes);
    return l;
}

Line& Line::addText(std::string_view utf8) {
    if (!utf8.empty()) parts.push_back({false, std::string(utf8)});
    return *this;
}

Line& Line::addControl(std::string_view bytes) {
    if (!bytes.empty()) parts.push_back({true, std::string(bytes)});
    return *this;
}

std::string Line::visibleText() const {
    std::string out;
    for (const auto& p : parts)
        if (!p.control) out += p.bytes;
    return out;
}

Status checkLine(const Line& line) {
    std::size_t chars = 0;
    for (const auto& p : line.parts) {
        if (p.control) continue;
        if (!core::text::isValidUtf8(p.bytes))
            return Error::of(0, "Yazdırılacak satır geçerli bir UTF-8 metni değil.");
        const auto* b = reinterpret_cast<const unsigned char*>(p.bytes.data());
        for (std::size_t i = 0; i < p.bytes.size(); ++i) {
            // C0 controls, DEL and the C1 range (U+0080..U+009F, encoded C2 80..C2 9F) would move
            // the printer's head or paper behind the writer's back.
            const bool c0 = b[i] < 0x20 || b[i] == 0x7F;
            const bool c1 =
                b[i] == 0xC2 && i + 1 < p.bytes.size() && b[i + 1] >= 0x80 && b[i + 1] <= 0x9F;
            if (c0 || c1)
                return Error::of(0, "Yazdırılacak satırda kontrol karakteri var (konum " +
                                        std::to_string(chars + 1) + ").");
        }
        chars += core::text::length(p.bytes);
    }
    if (chars > kMaxLineChars)
        return Error::of(0, "Yazdırılacak satır " + std::to_string(kMaxLineChars) +
                                " karakterden uzun (" + std::to_string(chars) + " karakter).");
    return {};
}

PageStyle a4Paper(bool landscape, double fontPoints) {
    PageStyle s;
    s.landscape = landscape;
    s.fontPoints = fontPoints;
    return s;
}

PageStyle textPrinterPaper(std::size_t lineChars) {
    constexpr double mmPerInch = 25.4;
    PageStyle s;
    s.paperWidthMm = 10.25 * mmPerInch;
    s.paperHeightMm = (lineChars <= 135 ? 17.0 : 28.74) * mmPerInch;
    s.marginMm = 0;
    return s;
}

Status DocumentSink::page(const Page& page) {
    doc_.pages.push_back(page);
    return {};
}

PageWriter::PageWriter(PageSetup setup, PageSink& sink)
    : setup_(setup), sink_(sink), streaming_(sink.streamsLines()) {
    if (setup_.linesPerPage < 0) setup_.linesPerPage = 0;
    page_.number = 1;
}

Line PageWriter::emphasised(std::string_view text) const {
    Line l;
    const std::string clipped = core::text::clip(text);
    l.addControl(controlBytes(setup_.kind, ControlCode::EmphasisOn));
    l.addText(clipped);
    l.addControl(controlBytes(setup_.kind, ControlCode::EmphasisOff));
    return l;
}

Status PageWriter::write(std::string_view text) {
    return write(Line::text(text));
}

Status PageWriter::writeEmphasised(std::string_view text) {
    return write(emphasised(text));
}

Status PageWriter::writeControl(std::string_view bytes) {
    return write(Line::control(bytes));
}

Status PageWriter::write(Line line) {
    if (failed_) return *failed_;
    if (finished_) return Error::of(0, "Rapor sayfaları zaten tamamlandı; yeni satır yazılamaz.");
    if (auto st = checkLine(line); !st) return st;
    if (lines_ == 0 && header_ && !inHeader_) {
        inHeader_ = true;
        Status st = header_(*this);
        inHeader_ = false;
        if (!st) return st;
        if (failed_) return *failed_;
    }
    return put(std::move(line));
}

Status PageWriter::failWith(Status st) {
    if (!st) failed_ = st.error();
    return st;
}

Status PageWriter::put(Line line) {
    if (streaming_) {
        if (visible()) {
            if (lines_ == 0)
                if (auto st = failWith(sink_.beginPage(page_.number)); !st) return st;
            if (auto st = failWith(sink_.line(line)); !st) return st;
        }
    } else {
        page_.lines.push_back(std::move(line));
    }
    ++lines_;
    if (setup_.linesPerPage > 0 && lines_ >= setup_.linesPerPage) return closePage(true);
    return {};
}

Status PageWriter::closePage(bool formFeed) {
    const bool shown = visible();
    const int number = page_.number;
    Status st;
    if (streaming_) {
        if (shown) st = sink_.endPage(formFeed);
        page_.lines.clear();
    } else {
        page_.formFeed = formFeed;
        Page done = std::move(page_);
        if (shown) st = sink_.page(done);
    }
    page_ = Page{};
    page_.number = number + 1;
    lines_ = 0;
    if (!st) return failWith(st);
    if (shown) ++pagesOutput_;
    return {};
}

Status PageWriter::endPage() {
    if (failed_) return *failed_;
    if (lines_ == 0) return {};
    return closePage(true);
}

Status PageWriter::finish() {
    if (failed_) return *failed_;
    if (finished_) return {};
    if (lines_ > 0)
        if (auto st = closePage(false); !st) return st;
    finished_ = true;
    Status st = sink_.finish();
    if (!st) failed_ = st.error();
    return st;
}

} // namespace hk::output
