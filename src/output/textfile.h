#pragma once
// The text-file route of the reports.

#include "core/result.h"
#include "output/atomic_file.h"
#include "output/page.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace hk::output {

enum class TextEncoding {
    Cp1254, // the system's own code page: what the report files have always been written in
    Utf8,
    Cp857, // DOS Turkish, for programs that read the old DOS files
};

struct TextFileOptions {
    TextEncoding encoding = TextEncoding::Cp1254;
    // Printer control bytes are meaningless in a file and, in UTF-8, would make it invalid; they
    // are left out unless asked for.
    bool keepControlBytes = false;
    // A form feed after each page that ended with a page break.
    bool formFeeds = false;
};

// Lines as written, each ended by CR LF. Text that the chosen code page cannot hold is refused
// (the file is then not created) rather than silently altered.
class TextFileSink final : public PageSink {
  public:
    [[nodiscard]] static core::Result<std::unique_ptr<TextFileSink>>
    open(const std::filesystem::path& target, TextFileOptions options = {});

    TextFileSink(AtomicFile file, TextFileOptions options)
        : file_(std::move(file)), options_(options) {}

    core::Status page(const Page& page) override;
    core::Status finish() override;

    // Line by line, written in blocks: memory stays at one block whatever a page holds.
    bool streamsLines() const override { return true; }
    core::Status line(const Line& line) override;
    core::Status endPage(bool formFeed) override;

  private:
    core::Status flush();

    AtomicFile file_;
    TextFileOptions options_;
    std::string pending_;
};

// One line encoded as a text file holds it (with CR LF when the line has a line break).
[[nodiscard]] core::Result<std::string> encodeTextLine(const Line& line,
                                                       const TextFileOptions& options);

} // namespace hk::output
