#pragma once
// A printed line built by placing values at fixed 1-based columns, as the books lay them out.
// Positions count characters, so Turkish letters never shift a column.

#include "core/text.h"
#include "core/utf8.h"

#include <string>
#include <string_view>

namespace hk::journal {

class LineBuffer {
  public:
    static constexpr std::size_t kWidth = 255;

    // Puts `text` at column `col`, cut to `width` characters (and to the end of the line).
    void place(std::size_t col, std::string_view text, std::size_t width = kWidth) {
        if (col < 1 || col > kWidth) return;
        std::size_t at = col - 1;
        std::size_t n = 0;
        for (std::size_t i = 0; i < text.size() && n < width && at < kWidth; ++n, ++at) {
            const auto step = core::utf8::decode(text, i);
            chars_[at] = step.cp == core::utf8::kInvalid ? U'?' : step.cp;
            i += step.len;
        }
    }
    // The line without trailing blanks.
    std::string str() const {
        std::size_t end = kWidth;
        while (end > 0 && chars_[end - 1] == U' ')
            --end;
        std::string out;
        for (std::size_t i = 0; i < end; ++i)
            core::utf8::append(out, chars_[i]);
        return out;
    }

  private:
    std::u32string chars_ = std::u32string(kWidth, U' ');
};

} // namespace hk::journal
