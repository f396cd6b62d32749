// The one way generated C is written. A template is a line of C in which "{name}" stands for
// the value of a named field; every other brace is C's own. Each line goes to the text as CR LF
// followed by the filled template (the appending convention of fx1n.c's sections), so a text
// built from empty starts with an empty line and has no line break after its last line, and an
// empty template ends the previous line with CR LF.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ladder51 {

inline constexpr std::string_view kCrLf = "\r\n";

// A named value for the templates.
struct Field {
  std::string_view name;
  std::string value;
};
using Fields = std::initializer_list<Field>;

// Decimal text of a number.
inline std::string dec(long long n) {
  return std::to_string(n);
}

// Upper-case hexadecimal text of a number, at least `digits` digits: hex(31) is "1F",
// hex(0x1F, 4) is "001F".
inline std::string hex(unsigned long long value, std::size_t digits = 1) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value > 0);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

// `line` with every "{name}" of a field replaced by its value.
std::string fill(std::string_view line, std::span<const Field> fields);
inline std::string fill(std::string_view line, Fields fields) {
  return fill(line, std::span<const Field>(fields.begin(), fields.size()));
}

class CodeWriter {
 public:
  // Sets a field for the lines that follow (replacing one of the same name).
  CodeWriter& set(std::string_view name, std::string value);
  // Appends CR LF and the filled template.
  CodeWriter& line(std::string_view tmpl);
  // Appends each template as line() does.
  CodeWriter& lines(std::span<const std::string_view> tmpls);
  CodeWriter& lines(std::initializer_list<std::string_view> tmpls) {
    return lines(std::span<const std::string_view>(tmpls.begin(), tmpls.size()));
  }
  // Appends the filled template to the current line, with no line break before it.
  CodeWriter& join(std::string_view tmpl);

  const std::string& text() const { return text_; }
  std::size_t size() const { return text_.size(); }
  std::string take() { return std::move(text_); }

 private:
  std::vector<Field> fields_;
  std::string text_;
};

}  // namespace ladder51
