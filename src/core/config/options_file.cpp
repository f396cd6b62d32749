#include "core/config/options_file.h"

#include <algorithm>
#include <optional>

#include "core/config/chip.h"
#include "core/config/validation.h"
#include "core/text/encoding.h"

namespace ladder51 {
namespace {

// One setting of ladder51.ini: its name, the text of SettingsText that holds it, and how a value
// read from the file becomes that text (or why it cannot).
struct Option {
  std::string_view name;
  std::string SettingsText::*text;
  Result<std::string> (*read)(std::string_view value);
  ReasonKind unknown;  // the notice of a value it cannot take
};

Result<std::string> chipValue(std::string_view value) {
  Result<ChipProfile> chip = chipNamed(value);
  if (!chip) return chip.error();
  return std::string(chip->name);
}

Result<std::string> timeBaseValue(std::string_view value) {
  if (Status known = checkTimeBase(value); !known) return known.error();
  return std::string(timeBaseName(*timeBaseNamed(value)));
}

constexpr Option kOptions[] = {
    {"chip", &SettingsText::chip, chipValue, ReasonKind::UnknownChipValue},
    {"time-base", &SettingsText::timeBase, timeBaseValue, ReasonKind::UnknownTimeBase},
};

// At most this many lines are named in notices; the rest are counted in one more.
constexpr std::size_t kNamedLines = 3;

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The lines of the file's bytes, without their ends (CR LF, LF or CR); nothing when the bytes are
// neither UTF-8 nor GBK.
std::optional<std::vector<std::string>> linesOf(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string text(bytes);
  if (!isValidUtf8(text)) {
    Result<std::string> decoded = decodeGbk(text);
    if (!decoded) return std::nullopt;
    text = *decoded;
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

// What a line of the file is.
struct ParsedLine {
  enum class Kind { Comment, Setting, Unknown, NotASetting } kind = Kind::Comment;
  const Option* option = nullptr;  // Setting
  std::string_view name, value;
};

ParsedLine parseLine(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.starts_with('#') || line.starts_with(';')) return {};
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || trim(line.substr(0, equals)).empty())
    return {ParsedLine::Kind::NotASetting, nullptr, line, {}};
  const std::string_view name = trim(line.substr(0, equals));
  const std::string_view value = trim(line.substr(equals + 1));
  for (const Option& option : kOptions) {
    if (option.name == name) return {ParsedLine::Kind::Setting, &option, name, value};
  }
  return {ParsedLine::Kind::Unknown, nullptr, name, value};
}

}  // namespace

std::vector<UserNotice> applyOptionsFile(const SettingsFileRead& read, SettingsText& settings) {
  if (read.missing) return {};
  if (!read.bytes) return {settingsDefaultedNotice(read.bytes.error())};
  const NoticeValue file{"file", read.name};
  const std::optional<std::vector<std::string>> lines = linesOf(*read.bytes);
  if (!lines) return {UserNotice::settings({ReasonKind::SettingsFileNotText, {file}}, true)};

  std::vector<UserNotice> problems;
  std::vector<const Option*> seen;
  for (std::size_t k = 0; k < lines->size(); ++k) {
    const ParsedLine line = parseLine((*lines)[k]);
    const NoticeValue number{"line", std::to_string(k + 1)};
    std::optional<Reason> problem;
    if (line.kind == ParsedLine::Kind::NotASetting) {
      problem =
          Reason{ReasonKind::LineNotSetting, {file, number, {"text", std::string(line.name)}}};
    } else if (line.kind == ParsedLine::Kind::Unknown) {
      problem =
          Reason{ReasonKind::UnknownSetting, {file, number, {"setting", std::string(line.name)}}};
    } else if (line.kind == ParsedLine::Kind::Setting) {
      const Option& option = *line.option;
      if (std::ranges::find(seen, &option) != seen.end()) {
        problem = Reason{ReasonKind::SettingRepeated,
                         {file, number, {"setting", std::string(option.name)}}};
      } else if (Result<std::string> value = option.read(line.value); !value) {
        seen.push_back(&option);
        problem = Reason{option.unknown, {file, number, {"value", std::string(line.value)}}};
        if (option.unknown == ReasonKind::UnknownChipValue)
          problem->values.push_back({"chips", chipNameList()});
      } else {
        seen.push_back(&option);
        settings.*option.text = *value;
      }
    }
    if (problem) problems.push_back(UserNotice::settings(std::move(*problem), false));
  }
  if (problems.size() > kNamedLines + 1) {
    const std::size_t more = problems.size() - kNamedLines;
    problems.resize(kNamedLines);
    problems.push_back(UserNotice::settings(
        {ReasonKind::MoreLinesIgnored, {file, {"count", std::to_string(more)}}}, false));
  }
  return problems;
}

std::string optionsFileText(const SettingsText& settings, std::string_view previous) {
  std::string text;
  std::vector<const Option*> written;
  auto write = [&](const Option& option) {
    text += std::string(option.name) + "=" + settings.*option.text + "\n";
    written.push_back(&option);
  };
  // Bytes that are not text are no lines anyone wrote: the file starts again.
  for (const std::string& line : linesOf(previous).value_or(std::vector<std::string>{})) {
    const ParsedLine parsed = parseLine(line);
    if (parsed.kind != ParsedLine::Kind::Setting) {
      text += line + "\n";
    } else if (std::ranges::find(written, parsed.option) == written.end()) {
      write(*parsed.option);
    }
  }
  for (const Option& option : kOptions) {
    if (std::ranges::find(written, &option) == written.end()) write(option);
  }
  return text;
}

}  // namespace ladder51
