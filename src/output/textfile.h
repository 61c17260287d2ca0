#pragma once
// Files written whole or not at all, and the text-file route of the reports.
//
// AtomicFile writes into a hidden temporary file beside the target and renames it over the
// target only when everything has been written and flushed to disk. Until then the target is
// untouched; on any failure, and when the object goes away without commit(), the temporary
// file is removed. A full disk or an unwritable folder therefore never leaves half a file.

#include "core/result.h"
#include "output/page.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace hk::output {

class AtomicFile {
  public:
    [[nodiscard]] static core::Result<AtomicFile> create(const std::filesystem::path& target);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    [[nodiscard]] core::Status write(std::string_view bytes);
    // Flushes, closes and renames the temporary file onto the target.
    [[nodiscard]] core::Status commit();
    // Drops what was written; the target stays as it was.
    void discard();

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return tmp_; }

  private:
    AtomicFile(int fd, std::filesystem::path tmp, std::filesystem::path target)
        : fd_(fd), tmp_(std::move(tmp)), target_(std::move(target)) {}
    core::Status fail(const std::string& what, int err);

    int fd_ = -1;
    std::filesystem::path tmp_;
    std::filesystem::path target_;
};

// The whole content in one go.
[[nodiscard]] core::Status writeFileAtomically(const std::filesystem::path& target,
                                               std::string_view bytes);

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

  private:
    AtomicFile file_;
    TextFileOptions options_;
};

// One line encoded as a text file holds it (with CR LF when the line has a line break).
[[nodiscard]] core::Result<std::string> encodeTextLine(const Line& line,
                                                       const TextFileOptions& options);

} // namespace hk::output
