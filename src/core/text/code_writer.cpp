#include "core/text/code_writer.h"

#include <algorithm>
#include <cassert>

namespace ladder51 {
namespace {

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The length of "{name}" at `pos` when a name follows the brace, else 0.
std::size_t placeholderAt(std::string_view line, std::size_t pos) {
  std::size_t end = pos + 1;
  while (end < line.size() && isNameChar(line[end])) ++end;
  return end > pos + 1 && end < line.size() && line[end] == '}' ? end - pos + 1 : 0;
}

}  // namespace

std::string fill(std::string_view line, std::span<const Field> fields) {
  std::string text;
  text.reserve(line.size() + 16);
  std::size_t pos = 0;
  while (pos < line.size()) {
    // The text up to the next brace goes as it stands.
    const std::size_t brace = std::min(line.find('{', pos), line.size());
    text.append(line, pos, brace - pos);
    if (brace == line.size()) break;
    const std::size_t length = placeholderAt(line, brace);
    const Field* match = nullptr;
    if (length > 0) {
      const std::string_view name = line.substr(brace + 1, length - 2);
      for (const Field& field : fields) {
        if (field.name == name) match = &field;
      }
      // C text never holds "{identifier}": such a brace pair is a template's field, and one that
      // names no field is a mistake in the template.
      assert(match != nullptr && "a template names a field that is not set");
    }
    if (match) {
      text += match->value;
      pos = brace + length;
    } else {
      text += '{';
      pos = brace + 1;
    }
  }
  return text;
}

CodeWriter& CodeWriter::set(std::string_view name, std::string value) {
  for (Field& field : fields_) {
    if (field.name == name) {
      field.value = std::move(value);
      return *this;
    }
  }
  fields_.push_back({name, std::move(value)});
  return *this;
}

CodeWriter& CodeWriter::line(std::string_view tmpl) {
  text_ += kCrLf;
  return join(tmpl);
}

CodeWriter& CodeWriter::lines(std::span<const std::string_view> tmpls) {
  for (std::string_view tmpl : tmpls) line(tmpl);
  return *this;
}

CodeWriter& CodeWriter::join(std::string_view tmpl) {
  text_ += fill(tmpl, fields_);
  return *this;
}

}  // namespace ladder51
