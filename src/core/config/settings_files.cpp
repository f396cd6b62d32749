#include "core/config/settings_files.h"

#include <array>
#include <charconv>

#include "core/config/options_file.h"
#include "core/file_io.h"
#include "core/text/encoding.h"

namespace ladder51 {
namespace {

constexpr std::size_t kDisplayFields = 4;
constexpr std::size_t kEepromFields = 6;
constexpr std::size_t kPinFields = kPinCount + 1;
// A settings file holds one short line; a larger file is not read whole.
constexpr std::size_t kLongestSettingsFile = 1 << 20;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// An unquoted number: optional sign, digits, optional fraction.
bool isNumber(std::string_view text) {
  std::size_t k = 0;
  if (k < text.size() && text[k] == '-') ++k;
  const std::size_t digitsStart = k;
  while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
  if (k == digitsStart) return false;
  if (k < text.size() && text[k] == '.') {
    ++k;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
  }
  return k == text.size();
}

// A fault of a record line: the message names no file, the reason lacks the file's name, which
// recordOf adds.
Error recordError(std::string message, Reason reason) {
  Error error{ErrorKind::BadSettingsFile, std::move(message)};
  error.reason = std::move(reason);
  return error;
}

// Why a settings file cannot be used: the reason's values after the file's name.
Error fileError(ErrorKind kind, const SettingsFileRead& read, ReasonKind why,
                std::vector<NoticeValue> values = {}) {
  values.insert(values.begin(), {"file", read.name});
  return Error{kind, Reason{why, std::move(values)}, read.where};
}

Result<RecordField> unquotedField(std::string_view token) {
  RecordField field;
  token = trim(token);
  if (token.empty()) return field;
  if (token == "#TRUE#" || token == "#FALSE#") {
    field.kind = RecordField::Kind::Boolean;
    field.truth = token == "#TRUE#";
    return field;
  }
  if (!isNumber(token)) {
    return recordError("unexpected field " + std::string(token),
                       {ReasonKind::UnexpectedField, {{"field", std::string(token)}}});
  }
  field.kind = RecordField::Kind::Number;
  field.text = std::string(token);
  const std::string_view whole = token.substr(0, token.find('.'));
  const auto [end, error] =
      std::from_chars(whole.data(), whole.data() + whole.size(), field.number);
  if (error != std::errc()) {
    return recordError("number out of range " + field.text,
                       {ReasonKind::NumberTooLarge, {{"number", field.text}}});
  }
  return field;
}

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string booleanField(bool value) {
  return value ? "#TRUE#" : "#FALSE#";
}

// The conversions of a field into the value of a control; nothing when the kind does not fit.
std::optional<std::string> asText(const RecordField& field) {
  if (field.kind == RecordField::Kind::Boolean) return std::nullopt;
  return field.text;
}

// A check box value: 0 or 1 (an empty field counts as 0).
std::optional<bool> asCheckBox(const RecordField& field) {
  switch (field.kind) {
    case RecordField::Kind::Empty:
      return false;
    case RecordField::Kind::Boolean:
      return field.truth;
    case RecordField::Kind::Number:
      if (field.text == "0" || field.text == "1") return field.text == "1";
      return std::nullopt;
    case RecordField::Kind::Text:
      return std::nullopt;
  }
  return std::nullopt;
}

// An option button value; false also covers 0 and an empty field.
std::optional<bool> asOptionButton(const RecordField& field) {
  switch (field.kind) {
    case RecordField::Kind::Empty:
      return false;
    case RecordField::Kind::Boolean:
      return field.truth;
    case RecordField::Kind::Number:
      return field.number != 0;
    case RecordField::Kind::Text:
      return std::nullopt;
  }
  return std::nullopt;
}

// The record of one settings file from what reading it gave: the first line, decoded. Reports
// why the file cannot be used; `read.error()` already says why a file could not be read.
Result<std::vector<RecordField>> recordOf(const SettingsFileRead& read, std::size_t fieldCount) {
  if (!read.bytes) return read.bytes.error();
  std::string text = *read.bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // UTF-8 byte order mark of an editor
  if (!isValidUtf8(text)) {
    // Files written on the user's earlier systems are in the local 8-bit code page.
    Result<std::string> decoded = decodeGbk(text);
    if (!decoded)
      return fileError(ErrorKind::BadSettingsFile, read, ReasonKind::SettingsFileNotText);
    text = *decoded;
  }
  if (trim(text.substr(0, text.find_first_of("\r\n"))).empty()) {
    return fileError(ErrorKind::BadSettingsFile, read, ReasonKind::SettingsFileEmpty);
  }
  Result<std::vector<RecordField>> fields = parseRecord(text);
  if (!fields) {
    const Reason& why = *fields.error().reason;
    return fileError(ErrorKind::BadSettingsFile, read, why.kind, why.values);
  }
  if (fields->size() < fieldCount) {
    return fileError(
        ErrorKind::BadSettingsFile, read, ReasonKind::TooFewFields,
        {{"count", std::to_string(fields->size())}, {"expected", std::to_string(fieldCount)}});
  }
  return fields;
}

Error wrongKind(const SettingsFileRead& read, std::size_t field) {
  return fileError(ErrorKind::BadSettingsFile, read, ReasonKind::FieldWrongKind,
                   {{"field", std::to_string(field + 1)}});
}

// The display part of the settings from 7219.dat.
Status loadDisplayFile(const SettingsFileRead& read, SettingsText& settings) {
  Result<std::vector<RecordField>> fields = recordOf(read, kDisplayFields);
  if (!fields) return fields.error();
  const std::vector<RecordField>& f = *fields;
  const std::optional<bool> display = asCheckBox(f[0]);
  if (!display) return wrongKind(read, 0);
  SettingsText loaded = settings;
  std::array<std::string*, 3> targets = {&loaded.din, &loaded.load, &loaded.clk};
  for (std::size_t k = 0; k < targets.size(); ++k) {
    std::optional<std::string> text = asText(f[k + 1]);
    if (!text) return wrongKind(read, k + 1);
    *targets[k] = *text;
  }
  loaded.display = *display;
  settings = loaded;
  return success();
}

// The EEPROM part, the I2C pins, the Proteus switch and the crystal from IIC.dat.
Status loadEepromFile(const SettingsFileRead& read, SettingsText& settings) {
  Result<std::vector<RecordField>> fields = recordOf(read, kEepromFields);
  if (!fields) return fields.error();
  const std::vector<RecordField>& f = *fields;
  const std::optional<bool> from24C32 = asOptionButton(f[0]);
  if (!from24C32) return wrongKind(read, 0);
  const std::optional<std::string> scl = asText(f[1]);
  if (!scl) return wrongKind(read, 1);
  const std::optional<std::string> sda = asText(f[2]);
  if (!sda) return wrongKind(read, 2);
  const std::optional<bool> proteus = asCheckBox(f[3]);
  if (!proteus) return wrongKind(read, 3);
  const std::optional<bool> upto24C16 = asOptionButton(f[4]);
  if (!upto24C16) return wrongKind(read, 4);
  const std::optional<std::string> crystal = asText(f[5]);
  if (!crystal) return wrongKind(read, 5);
  // Both or neither selected: no EEPROM.
  settings.eeprom = EepromChoice::None;
  if (*from24C32 && !*upto24C16) settings.eeprom = EepromChoice::From24C32;
  if (*upto24C16 && !*from24C32) settings.eeprom = EepromChoice::Upto24C16;
  settings.scl = *scl;
  settings.sda = *sda;
  settings.proteus = *proteus;
  settings.crystal = *crystal;
  return success();
}

Result<PinFileValues> readPinRecord(const SettingsFileRead& read) {
  Result<std::vector<RecordField>> fields = recordOf(read, kPinFields);
  if (!fields) return fields.error();
  PinFileValues values;
  for (std::size_t k = 0; k < kPinFields; ++k) {
    std::optional<std::string> text = asText((*fields)[k]);
    if (!text) return wrongKind(read, k);
    if (k < static_cast<std::size_t>(kPinCount)) {
      values.pins[k] = *text;
    } else {
      values.filter = *text;
    }
  }
  return values;
}

}  // namespace

UserNotice settingsDefaultedNotice(const Error& error) {
  // The errors of reading and loading a settings file carry their reason; one from elsewhere
  // (a caller's own read) is told by its message.
  if (!error.reason) {
    return UserNotice::plain(
        NoticeKind::SettingsDefaulted,
        error.message + ": its settings take the values of a new installation");
  }
  return UserNotice::settings(*error.reason, /*wholeFile=*/true);
}

Result<std::vector<RecordField>> parseRecord(std::string_view content) {
  const std::string_view line = content.substr(0, content.find_first_of("\r\n"));
  std::vector<RecordField> fields;
  std::size_t k = 0;
  while (true) {
    while (k < line.size() && isBlank(line[k])) ++k;
    if (k < line.size() && line[k] == '"') {
      const std::size_t close = line.find('"', k + 1);
      if (close == std::string_view::npos)
        return recordError("a quoted text is not closed", {ReasonKind::QuoteNotClosed, {}});
      RecordField field;
      field.kind = RecordField::Kind::Text;
      field.text = std::string(line.substr(k + 1, close - k - 1));
      fields.push_back(std::move(field));
      k = close + 1;
      while (k < line.size() && isBlank(line[k])) ++k;
      if (k < line.size() && line[k] != ',')
        return recordError("text after a quoted field", {ReasonKind::TextAfterQuote, {}});
    } else {
      const std::size_t comma = std::min(line.find(',', k), line.size());
      Result<RecordField> field = unquotedField(line.substr(k, comma - k));
      if (!field) return field.error();
      fields.push_back(std::move(*field));
      k = comma;
    }
    if (k >= line.size()) break;
    ++k;  // the comma
  }
  return fields;
}

std::string displayRecord(const SettingsText& settings) {
  return std::string(settings.display ? "1" : "0") + "," + quoted(settings.din) + "," +
         quoted(settings.load) + "," + quoted(settings.clk) + "\r\n";
}

std::string eepromRecord(const SettingsText& settings) {
  return booleanField(settings.eeprom == EepromChoice::From24C32) + "," + quoted(settings.scl) +
         "," + quoted(settings.sda) + "," + (settings.proteus ? "1" : "0") + "," +
         booleanField(settings.eeprom == EepromChoice::Upto24C16) + "," + quoted(settings.crystal) +
         "\r\n";
}

std::string pinRecord(const SettingsText& settings) {
  std::string record;
  for (const std::string& pin : settings.pins) record += quoted(pin) + ",";
  return record + quoted(settings.filter) + "\r\n";
}

SettingsFileRead readSettingsFile(const std::filesystem::path& path) {
  SettingsFileRead read{path.filename().string(), path.string(), std::string(), false};
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (!error && !exists) {
    read.bytes = fileError(ErrorKind::CannotOpen, read, ReasonKind::SettingsFileMissing);
    read.missing = true;
    return read;
  }
  if (std::filesystem::is_directory(path, error)) {
    read.bytes = fileError(ErrorKind::CannotOpen, read, ReasonKind::SettingsFileIsFolder);
    return read;
  }
  Result<std::string> bytes = readWholeFile(path, kLongestSettingsFile);
  if (!bytes && bytes.error().kind == ErrorKind::FileTooLarge) {
    read.bytes = fileError(ErrorKind::BadSettingsFile, read, ReasonKind::SettingsFileTooLarge,
                           {{"bytes", std::to_string(kLongestSettingsFile)}});
  } else if (!bytes) {
    read.bytes = fileError(ErrorKind::CannotRead, read, ReasonKind::SettingsFileUnreadable);
  } else {
    read.bytes = std::move(*bytes);
  }
  return read;
}

Result<PinFileValues> readPinFile(const std::filesystem::path& directory) {
  return readPinRecord(readSettingsFile(directory / kPinFileName));
}

LoadedSettings settingsFromFiles(const SettingsFileReads& files) {
  LoadedSettings loaded;
  if (Status status = loadDisplayFile(files.display, loaded.settings); !status) {
    loaded.notices.push_back(settingsDefaultedNotice(status.error()));
  }
  if (Status status = loadEepromFile(files.eeprom, loaded.settings); !status) {
    loaded.notices.push_back(settingsDefaultedNotice(status.error()));
  }
  if (Result<PinFileValues> values = readPinRecord(files.pins); values) {
    loaded.settings.pins = values->pins;
    loaded.settings.filter = values->filter;
  } else {
    loaded.notices.push_back(settingsDefaultedNotice(values.error()));
  }
  for (UserNotice& notice : applyOptionsFile(files.options, loaded.settings)) {
    loaded.notices.push_back(std::move(notice));
  }
  return loaded;
}

LoadedSettings loadSettings(const std::filesystem::path& directory) {
  return settingsFromFiles({readSettingsFile(directory / kDisplayFileName),
                            readSettingsFile(directory / kEepromFileName),
                            readSettingsFile(directory / kPinFileName),
                            readSettingsFile(directory / kOptionsFileName)});
}

LoadedSettings loadOptionsFile(const std::filesystem::path& directory) {
  LoadedSettings loaded;
  loaded.notices =
      applyOptionsFile(readSettingsFile(directory / kOptionsFileName), loaded.settings);
  return loaded;
}

Status saveSettings(const std::filesystem::path& directory, const SettingsText& settings) {
  // A file that cannot be read holds no lines to keep.
  const Result<std::string> options = readSettingsFile(directory / kOptionsFileName).bytes;
  const FileContent files[] = {
      {directory / kDisplayFileName, displayRecord(settings)},
      {directory / kEepromFileName, eepromRecord(settings)},
      {directory / kPinFileName, pinRecord(settings)},
      {directory / kOptionsFileName, optionsFileText(settings, options ? *options : "")},
  };
  return writeFilesAtomically(files);
}

}  // namespace ladder51
