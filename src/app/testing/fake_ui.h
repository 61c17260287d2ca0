#pragma once
// A scripted Ui for tests of every module: it records every message box (text, caption, icon,
// buttons, default, the answer given) and every progress text, and answers questions from a
// queue. A box with more than one button and an empty queue is a mistake in the test script: it
// throws FakeUiError naming the box, so the test fails loudly instead of going on with a guess.
// A box with a single button ("&Tamam") needs no answer.

#include "app/ui.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace hk::app::testing {

class FakeUiError : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;
    std::string buttons;
    int defaultButton = 1;
    int answer = 0;
};

class FakeUi : public Ui {
  public:
    // What the test saw, in order.
    std::vector<ShownMessage> messages;
    std::vector<std::string> progressTexts; // each distinct text once, in the order shown
    int progressUpdates = 0;
    int progressDoneCount = 0;

    // Scripted answers.
    std::deque<int> answers;          // 1-based button numbers
    std::deque<std::string> files;    // chooseFile answers ("" = cancelled)
    std::deque<int> picks;            // pick answers (-1 = cancelled)
    bool cancelAfterProgress = false; // cancelled() turns true once progress was shown

    FakeUi& answer(int button) {
        answers.push_back(button);
        return *this;
    }

    int message(const std::string& text, const std::string& caption, Icon icon,
                const std::string& buttons, int defaultButton) override {
        ShownMessage m{text, caption, icon, buttons, defaultButton, 1};
        if (buttons.find('|') != std::string::npos) {
            if (answers.empty()) {
                messages.push_back(m);
                throw FakeUiError("FakeUi: no scripted answer for \"" + caption + "\": " + text);
            }
            m.answer = answers.front();
            answers.pop_front();
        }
        messages.push_back(m);
        return m.answer;
    }

    void progress(const std::string& text, int) override {
        ++progressUpdates;
        if (progressTexts.empty() || progressTexts.back() != text) progressTexts.push_back(text);
    }
    void progressDone() override { ++progressDoneCount; }
    bool cancelled() override { return cancelAfterProgress && progressUpdates > 0; }

    std::string chooseFile(const std::string& caption, const std::string&, bool) override {
        if (files.empty()) throw FakeUiError("FakeUi: no scripted file for \"" + caption + "\"");
        std::string f = files.front();
        files.pop_front();
        return f;
    }

    int pick(const std::string& caption, const std::vector<std::string>&) override {
        if (picks.empty()) throw FakeUiError("FakeUi: no scripted pick for \"" + caption + "\"");
        int p = picks.front();
        picks.pop_front();
        return p;
    }

    // Texts of all boxes shown, for compact assertions.
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& m : messages) t.push_back(m.text);
        return t;
    }
};

} // namespace hk::app::testing
