#pragma once
// The Ui port for a terminal. Messages go to stderr (stdout stays for the command's output).
// Nobody sits at the terminal to answer: a question is answered by --yes (its first button) or
// refused (its last button, the "no"/"cancel" one) with a line saying how to accept it. File
// choices and pick lists cannot be answered here and are refused the same way.

#include "app/ui.h"

#include <cstdio>
#include <string>

namespace hk::cli {

class TerminalUi : public app::Ui {
  public:
    explicit TerminalUi(bool yes, std::FILE* out = stderr) : yes_(yes), out_(out) {}

    int message(const std::string& text, const std::string& caption, app::Icon icon,
                const std::string& buttons, int defaultButton) override;
    void progress(const std::string& text, int percent) override;
    void progressDone() override;
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string& caption, const std::string& filter,
                           bool forSaving) override;
    int pick(const std::string& caption, const std::vector<std::string>& items) override;

    // Number of questions refused for want of --yes.
    int refusals() const { return refusals_; }
    // Text of the last message box shown, so the caller need not repeat it.
    const std::string& lastText() const { return lastText_; }

  private:
    bool yes_;
    std::FILE* out_;
    std::string lastProgress_;
    int refusals_ = 0;
    std::string lastText_;
};

// A button caption as shown: without its '&' accelerator.
std::string plainCaption(const std::string& caption);

} // namespace hk::cli
