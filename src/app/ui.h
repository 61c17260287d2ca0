#pragma once
// The Ui port: the only way a procedure talks to the user. The desktop program implements it with
// Qt windows, the command-line program with the terminal and flags, the tests with a scripted fake.

#include <string>
#include <vector>

namespace hk::app {

enum class Icon { None, Information, Warning, Critical, Question };

class Ui {
  public:
    virtual ~Ui() = default;

    // One modal box. buttons is one text with "|" between captions ("&Evet|&Hayır"); the answer
    // is the 1-based number of the button chosen. defaultButton is 1-based too.
    virtual int message(const std::string& text, const std::string& caption, Icon icon,
                        const std::string& buttons, int defaultButton) = 0;

    // The progress window of a long procedure: text line and percentage (-1 = unknown).
    virtual void progress(const std::string& text, int percent) = 0;
    virtual void progressDone() = 0;
    // True once the user asked to stop the running procedure.
    virtual bool cancelled() = 0;

    // A file choice; empty when the user cancelled. filter like "Excel (*.xls *.xlsx)".
    virtual std::string chooseFile(const std::string& caption, const std::string& filter,
                                   bool forSaving) = 0;
    // A choice from a list; -1 when cancelled, else the 0-based index.
    virtual int pick(const std::string& caption, const std::vector<std::string>& items) = 0;

    // Convenience for the common case: text with OK only.
    void tell(const std::string& text, const std::string& caption = {},
              Icon icon = Icon::Information) {
        message(text, caption, icon, "&Tamam", 1);
    }
};

} // namespace hk::app
