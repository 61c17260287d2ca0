#pragma once
// Raw printing: the bytes of the pages go unchanged to a raw print queue (or to a file).
//
// What a raw queue receives, page by page:
//   for each line:  text parts converted to the DOS Turkish code page (cp857),
//                   control parts as they are,
//                   CR LF unless the line carries its own end;
//   after a page that ended with a page break: the form feed 0x0C.
//
// Text that cp857 cannot show is printed as "?" instead of refusing the job: the text comes
// from records, which only hold cp1254, and the few cp1254 signs missing from cp857 (the euro
// sign, typographic quotes...) should not stop a journal of a thousand pages half-way. The
// replacement is visible on paper, so nothing is silently dropped.
//
// The job is sent through CUPS as document "Receipt Printer" in the raw format, so the queue
// passes it to the device without filtering.

#include "core/result.h"
#include "output/page.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace hk::output {

inline constexpr std::string_view kRawDocumentName = "Receipt Printer";

std::string rawBytes(const Line& line);
std::string rawBytes(const Page& page);

// Where raw bytes go. Destroying a target that was not closed cancels the job or removes the
// temporary file, so a failed report leaves nothing behind.
class RawTarget {
  public:
    virtual ~RawTarget() = default;
    [[nodiscard]] virtual core::Status write(std::string_view bytes) = 0;
    [[nodiscard]] virtual core::Status close() = 0;
};

// A job on the CUPS queue of that name. Refused when no such printer is installed. The job has a
// server connection of its own: it may be written on another thread than the one that opened it
// (one thread at a time), and other CUPS calls meanwhile leave it alone.
[[nodiscard]] core::Result<std::unique_ptr<RawTarget>> openRawQueue(const std::string& queue);
// A file that receives exactly what the queue would; written whole or not at all.
[[nodiscard]] core::Result<std::unique_ptr<RawTarget>>
openRawFile(const std::filesystem::path& path);

// Takes the pages line by line and sends the bytes on in blocks, so memory stays at one block
// whatever the length of a page.
class RawSink final : public PageSink {
  public:
    explicit RawSink(std::unique_ptr<RawTarget> target) : target_(std::move(target)) {}
    core::Status page(const Page& page) override;
    core::Status finish() override;

    bool streamsLines() const override { return true; }
    core::Status beginPage(int number) override;
    core::Status line(const Line& line) override;
    core::Status endPage(bool formFeed) override;

  private:
    core::Status flush();

    std::unique_ptr<RawTarget> target_;
    std::string pending_; // bytes not yet sent, at most about one block
};

} // namespace hk::output
