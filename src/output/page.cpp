#include "output/page.h"

#include "core/text.h"
#include "core/utf8.h"

#include <cstdint>
#include <cstring>

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

// One pass over each text part: plain ASCII bytes, most of any report, are taken as they come;
// the rest is decoded. A part that is not valid UTF-8 is refused as such even when a control
// character comes before the fault, and a control character is placed at the part's start.
Status checkLine(const Line& line) {
    std::size_t chars = 0;
    for (const auto& p : line.parts) {
        if (p.control) continue;
        const std::string_view s = p.bytes;
        bool control = false;
        std::size_t n = 0;
        for (std::size_t i = 0; i < s.size(); ++n) {
            // Eight plain printable ASCII bytes at a time: no high bit, none below 0x20, no DEL.
            if (!control && i + 8 <= s.size()) {
                std::uint64_t w;
                std::memcpy(&w, s.data() + i, 8);
                constexpr std::uint64_t ones = 0x0101010101010101ull, highs = ones * 0x80;
                const std::uint64_t below = (w - ones * 0x20) & ~w & highs;
                const std::uint64_t del = ((w ^ (ones * 0x7F)) - ones) & ~(w ^ (ones * 0x7F)) & highs;
                if (((w & highs) | below | del) == 0) {
                    i += 8;
                    n += 7; // and one more by the loop
                    continue;
                }
            }
            const auto b = static_cast<unsigned char>(s[i]);
            if (b < 0x80) {
                // C0 controls and DEL would move the printer's head or paper behind the
                // writer's back.
                control = control || b < 0x20 || b == 0x7F;
                ++i;
                continue;
            }
            const auto st = core::utf8::decode(s, i);
            if (st.cp == core::utf8::kInvalid)
                return Error::of(0, "Yazdırılacak satır geçerli bir UTF-8 metni değil.");
            control = control || (st.cp >= 0x80 && st.cp <= 0x9F); // C1 controls likewise
            i += st.len;
        }
        if (control)
            return Error::of(0, "Yazdırılacak satırda kontrol karakteri var (konum " +
                                    std::to_string(chars + 1) + ").");
        chars += n;
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
    // A line that brings the page's header first keeps its own Line: the header's lines are
    // written through here too.
    if (!streaming_ || (lines_ == 0 && header_ && !inHeader_)) return write(Line::text(text));
    if (scratch_.parts.size() != 1) scratch_.parts.resize(1);
    scratch_.parts[0].control = false;
    scratch_.parts[0].bytes.assign(text);
    scratch_.newline = true;
    return writeLine(scratch_);
}

Status PageWriter::writeEmphasised(std::string_view text) {
    return write(emphasised(text));
}

Status PageWriter::writeControl(std::string_view bytes) {
    return write(Line::control(bytes));
}

Status PageWriter::write(Line line) {
    return writeLine(line);
}

Status PageWriter::writeLine(Line& line) {
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
    return put(line);
}

Status PageWriter::failWith(Status st) {
    if (!st) failed_ = st.error();
    return st;
}

Status PageWriter::put(Line& line) {
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
