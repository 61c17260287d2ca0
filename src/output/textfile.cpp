#include "output/textfile.h"

#include "core/codepages.h"
#include "core/text.h"

namespace hk::output {

using core::Result;
using core::Status;

namespace {

// Appends the code-page bytes of a UTF-8 text as `whole` gives them. A text `whole` refuses is
// left to it, so the error is its own, with its position.
Status appendEncoded(std::string& out, std::string_view s, int (*toByte)(char32_t),
                     Result<std::string> (*whole)(std::string_view)) {
    const std::size_t start = out.size();
    if (core::codepages::appendEncoded(out, s, toByte, 0)) return {};
    out.resize(start);
    auto refused = whole(s);
    if (!refused) return refused.error();
    out += *refused; // not reached: what decodes here decodes there
    return {};
}

// Appends the line's bytes to `out` (a sink's pending block, so a line costs no string of its
// own); on failure `out` may hold part of the line.
Status encodeInto(std::string& out, const Line& line, const TextFileOptions& options) {
    for (const auto& p : line.parts) {
        if (p.control) {
            if (options.keepControlBytes) out += p.bytes;
            continue;
        }
        switch (options.encoding) {
        case TextEncoding::Utf8:
            out += p.bytes;
            break;
        case TextEncoding::Cp1254:
            if (auto st = appendEncoded(out, p.bytes, core::codepages::toCp1254Byte,
                                        core::text::toCp1254);
                !st)
                return st;
            break;
        case TextEncoding::Cp857:
            if (auto st = appendEncoded(out, p.bytes, core::codepages::toCp857Byte,
                                        core::text::toCp857);
                !st)
                return st;
            break;
        }
    }
    if (line.newline) out += "\r\n";
    return {};
}

} // namespace

Result<std::string> encodeTextLine(const Line& line, const TextFileOptions& options) {
    std::string out;
    if (auto st = encodeInto(out, line, options); !st) return st.error();
    return out;
}

Result<std::unique_ptr<TextFileSink>> TextFileSink::open(const std::filesystem::path& target,
                                                         TextFileOptions options) {
    auto file = AtomicFile::create(target);
    if (!file) return file.error();
    return std::make_unique<TextFileSink>(std::move(*file), options);
}

namespace {
constexpr std::size_t kBlock = 64 * 1024;
}

Status TextFileSink::flush() {
    if (pending_.empty()) return {};
    Status st = file_.write(pending_);
    pending_.clear();
    return st;
}

Status TextFileSink::line(const Line& line) {
    if (auto st = encodeInto(pending_, line, options_); !st) {
        pending_.clear();
        file_.discard();
        return st;
    }
    if (pending_.size() >= kBlock) return flush();
    return {};
}

Status TextFileSink::endPage(bool formFeed) {
    if (options_.formFeeds && formFeed) pending_ += '\x0C';
    if (pending_.size() >= kBlock) return flush();
    return {};
}

Status TextFileSink::page(const Page& page) {
    for (const auto& l : page.lines)
        if (auto st = line(l); !st) return st;
    return endPage(page.formFeed);
}

Status TextFileSink::finish() {
    if (auto st = flush(); !st) return st;
    return file_.commit();
}

} // namespace hk::output
