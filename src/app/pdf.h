#pragma once
// The PDF route of report procedures. Reports draw nothing themselves: a program that has a
// renderer (the desktop program, hesapkar-cli built with Qt Gui) hands its opener to the
// procedures when it registers them; without one, --pdf is refused with a clear message.

#include "core/result.h"
#include "output/page.h"

#include <functional>
#include <memory>
#include <string>

namespace hk::app {

using PdfOpener = std::function<core::Result<std::unique_ptr<output::PageSink>>(
    const std::string& path, const output::PageStyle& style)>;

} // namespace hk::app
