#pragma once
// Picture-aware entry fields. An entry field takes its rules from the display picture of its
// value: "s30" accepts up to 30 characters of text, "n_5" a whole number of up to five digits,
// "n20.2" a signed number with two decimals, "d6" a date typed as day.month.year, "P(###)-###P"
// digits into the pattern's # positions. Only characters of the Windows Turkish code page are
// accepted anywhere; what a picture does not allow is refused as it is typed, so a record never
// receives text it cannot hold.

#include "core/date.h"
#include "core/result.h"

#include <QLineEdit>
#include <QValidator>
#include <optional>
#include <string>

namespace hk::ui {

// The entry rules read from a picture.
struct EntryPicture {
    enum Kind { Text, Number, Date, Pattern } kind = Text;
    int width = 0;    // characters (text), digits before the point (number)
    int decimals = 0; // numbers only
    bool blankWhenZero = false;
    std::string pattern; // Pattern: the characters between the two P's, '#' = one digit
};

// Reads the entry rules of a picture ("s30", "n_5", "n20.2b", "d6", "P(###)-#######PB"); a
// leading '@' is ignored. Unknown pictures are refused.
core::Result<EntryPicture> parseEntryPicture(std::string_view picture);

// Accepts the characters a picture allows while typing; refuses characters outside cp1254.
class PictureValidator : public QValidator {
    Q_OBJECT
  public:
    PictureValidator(EntryPicture picture, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
    const EntryPicture& picture() const { return pic_; }

  private:
    EntryPicture pic_;
};

// A line edit bound to a picture. Text, numbers and dates go in and come out as values; the
// widget shows them the way the picture asks.
class PictureEdit : public QLineEdit {
    Q_OBJECT
  public:
    // The picture must be valid (a programming fault otherwise).
    explicit PictureEdit(const std::string& picture, QWidget* parent = nullptr);

    const EntryPicture& picture() const { return pic_; }

    void setTextValue(const std::string& utf8);
    std::string textValue() const; // trailing blanks cut
    void setNumber(double v);
    // The typed number; an empty field is 0; text that is not a number is an error.
    core::Result<double> number() const;
    void setDate(const core::Date& d);
    // The typed date; an empty field is the unset date; an impossible date is an error.
    core::Result<core::Date> date() const;
    // Pattern fields: the digits typed into the # positions.
    void setDigits(const std::string& digits);
    std::string digits() const;

    // Set when the user last tried to type something the picture refuses (cleared on success).
    const QString& lastRefusal() const { return refusal_; }

  private:
    void keyPressEvent(QKeyEvent* e) override;

    std::string source_;
    EntryPicture pic_;
    QString refusal_;
};

// Display of a value by the entry rules (used where core's formatter is not needed).
QString showNumber(double v, const EntryPicture& p);
QString showDate(const core::Date& d);
core::Result<core::Date> parseDate(const QString& text);

} // namespace hk::ui
