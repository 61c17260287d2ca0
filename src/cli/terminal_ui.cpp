#include "cli/terminal_ui.h"

#include <vector>

namespace hk::cli {

namespace {

std::vector<std::string> splitButtons(const std::string& buttons) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t bar = buttons.find('|', pos);
        out.push_back(buttons.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
        if (bar == std::string::npos) break;
        pos = bar + 1;
    }
    return out;
}

const char* label(app::Icon icon) {
    switch (icon) {
    case app::Icon::Critical: return "HATA";
    case app::Icon::Warning: return "UYARI";
    case app::Icon::Question: return "SORU";
    default: return "BİLGİ";
    }
}

} // namespace

std::string plainCaption(const std::string& caption) {
    std::string s;
    for (char c : caption)
        if (c != '&') s += c;
    return s;
}

int TerminalUi::message(const std::string& text, const std::string& caption, app::Icon icon,
                        const std::string& buttons, int) {
    if (!lastProgress_.empty()) lastProgress_.clear();
    lastText_ = text;
    std::string shown = text;
    for (std::size_t p = shown.find('\n'); p != std::string::npos; p = shown.find('\n', p + 3))
        shown.replace(p, 1, "\n   ");
    if (caption.empty())
        std::fprintf(out_, "%s: %s\n", label(icon), shown.c_str());
    else
        std::fprintf(out_, "%s: [%s] %s\n", label(icon), caption.c_str(), shown.c_str());
    const auto choices = splitButtons(buttons);
    if (choices.size() <= 1) return 1;
    if (yes_) {
        std::fprintf(out_, "   -> %s (--yes)\n", plainCaption(choices.front()).c_str());
        return 1;
    }
    ++refusals_;
    std::fprintf(out_, "   -> %s: soru yanıtlanmadı; kabul etmek için komutu --yes ile verin.\n",
                 plainCaption(choices.back()).c_str());
    return static_cast<int>(choices.size());
}

void TerminalUi::progress(const std::string& text, int) {
    if (text == lastProgress_) return;
    lastProgress_ = text;
    std::fprintf(out_, "... %s\n", text.c_str());
}

void TerminalUi::progressDone() { lastProgress_.clear(); }

std::string TerminalUi::chooseFile(const std::string& caption, const std::string&, bool) {
    ++refusals_;
    std::fprintf(out_, "HATA: [%s] dosya seçimi komut satırında verilmelidir.\n", caption.c_str());
    return {};
}

int TerminalUi::pick(const std::string& caption, const std::vector<std::string>&) {
    ++refusals_;
    std::fprintf(out_, "HATA: [%s] seçim komut satırında verilmelidir.\n", caption.c_str());
    return -1;
}

} // namespace hk::cli
