#pragma once
// The data-operation messages: every failure or confirmation of an operation on a data file and
// of the generic list-and-form handling is raised by its number from this one table. This module
// only keeps the table and fills the placeholders; showing the box (and ending the program after
// a fatal one) belongs to the application layer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::core::messages {

enum class Severity { question, message, programError, fatal };

struct Entry {
    int number;
    Severity severity;
    const char* title;
    const char*
        text; // with the placeholders %File %ErrorText %ErrorCode %Field %Message %Procedure
};

// Values for the placeholders. An empty value replaces its placeholder with nothing.
struct MessageArgs {
    std::string file;      // %File
    std::string errorText; // %ErrorText
    std::string errorCode; // %ErrorCode
    std::string field;     // %Field
    std::string message;   // %Message
    std::string procedure; // %Procedure
};

struct Formatted {
    int number = 0;
    Severity severity = Severity::message;
    std::string title, text;
    std::string buttons;   // captions separated by '|'
    int defaultButton = 1; // 1-based position in buttons
};

inline constexpr int kFirstMessage = 1;
inline constexpr int kLastMessage = 41;
// Appended to the text of a fatal message.
inline constexpr const char* kFatalSuffix = "  Press OK to end this application";
inline constexpr const char* kQuestionButtons = "&Evet|&Hayır";
inline constexpr const char* kOkButton = "&Tamam";
// The standard message-box captions in the order OK, Yes, No, Cancel, Retry, Ignore, Abort.
inline constexpr const char* kStandardButtonCaptions =
    "&Tamam,&Evet,&Hayır,&Vazgeç,&Yeniden Dene,&Hatayı Geç,&İptal";
std::vector<std::string> standardButtonCaptions();

// The table row of a message number; nullptr outside 1..41.
const Entry* entry(int number);
// Placeholders filled in one pass: a value that itself contains "%File" stays as it is.
std::string fill(std::string_view text, const MessageArgs& args);
// The message ready to show; nullopt for a number that is not in the table.
std::optional<Formatted> format(int number, const MessageArgs& args = {});

} // namespace hk::core::messages
