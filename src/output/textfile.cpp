#include "output/textfile.h"

#include "core/text.h"

namespace hk::output {

using core::Result;
using core::Status;

Result<std::string> encodeTextLine(const Line& line, const TextFileOptions& options) {
    std::string out;
    for (const auto& p : line.parts) {
        if (p.control) {
            if (options.keepControlBytes) out += p.bytes;
            continue;
        }
        switch (options.encoding) {
        case TextEncoding::Utf8:
            out += p.bytes;
            break;
        case TextEncoding::Cp1254: {
            auto enc = core::text::toCp1254(p.bytes);
            if (!enc) return enc.error();
            out += *enc;
            break;
        }
        case TextEncoding::Cp857: {
            auto enc = core::text::toCp857(p.bytes);
            if (!enc) return enc.error();
            out += *enc;
            break;
        }
        }
    }
    if (line.newline) out += "\r\n";
    return out;
}

Result<std::unique_ptr<TextFileSink>> TextFileSink::open(const std::filesystem::path& target,
                                                         TextFileOptions options) {
    auto file = AtomicFile::create(target);
    if (!file) return file.error();
    return std::make_unique<TextFileSink>(std::move(*file), options);
}

Status TextFileSink::page(const Page& page) {
    std::string bytes;
    for (const auto& line : page.lines) {
        auto enc = encodeTextLine(line, options_);
        if (!enc) {
            file_.discard();
            return enc.error();
        }
        bytes += *enc;
    }
    if (options_.formFeeds && page.formFeed) bytes += '\x0C';
    return file_.write(bytes);
}

Status TextFileSink::finish() {
    return file_.commit();
}

} // namespace hk::output
