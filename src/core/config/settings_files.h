// The settings files of a work directory: 7219.dat (display driver), IIC.dat (EEPROM, I2C
// pins, Proteus switch, crystal) and io.dat (the 36 pin texts and the filter), as earlier
// installations wrote them, and ladder51.ini (the chip; see options_file.h). Each of the three
// holds one record line: comma-separated fields, texts in double quotes without escaping, integers
// in decimal, booleans as #TRUE# or #FALSE#, ended by CR LF.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/settings.h"
#include "core/observer.h"
#include "core/result.h"

namespace ladder51 {

inline constexpr std::string_view kDisplayFileName = "7219.dat";
inline constexpr std::string_view kEepromFileName = "IIC.dat";
inline constexpr std::string_view kPinFileName = "io.dat";
inline constexpr std::string_view kOptionsFileName = "ladder51.ini";

// One field of a record line as read.
struct RecordField {
  enum class Kind { Text, Number, Boolean, Empty };
  Kind kind = Kind::Empty;
  std::string text;    // Text: the quoted text; Number: its digits as written
  long number = 0;     // Number
  bool truth = false;  // Boolean
};

// The fields of the first line of `content`; a line may end in CR LF, LF or CR. Fails on an
// unterminated quote, text after a closing quote, or an unquoted field that is neither a
// number nor #TRUE#/#FALSE#.
Result<std::vector<RecordField>> parseRecord(std::string_view content);

// The record lines as the save command writes them, each ended by CR LF.
std::string displayRecord(const SettingsText& settings);
std::string eepromRecord(const SettingsText& settings);
std::string pinRecord(const SettingsText& settings);

// The values io.dat holds: the 36 pin texts and the filter text.
struct PinFileValues {
  PinMap pins;
  std::string filter;
};

// One settings file as read: its name, its path (for messages), and its bytes or why there are
// none ("io.dat is missing", "io.dat cannot be read").
struct SettingsFileRead {
  std::string name;
  std::string where;
  Result<std::string> bytes;
  bool missing = false;  // there is no file of that name (not one that cannot be read)
};

// The notice that a settings file could not be used and its settings are the defaults, from the
// error of reading or loading it.
UserNotice settingsDefaultedNotice(const Error& error);

// Reads one settings file; never fails, whatever the path.
SettingsFileRead readSettingsFile(const std::filesystem::path& path);

// Reads the io.dat of `directory`.
Result<PinFileValues> readPinFile(const std::filesystem::path& directory);

// Settings loaded from a work directory, and the files that could not be used.
struct LoadedSettings {
  SettingsText settings;
  // One notice per file that was missing, empty or malformed, whose part of the settings
  // took the values of a new installation (SettingsDefaulted), and per line of ladder51.ini that
  // is ignored (SettingsLineIgnored).
  std::vector<UserNotice> notices;
};

// What reading 7219.dat, IIC.dat, io.dat and ladder51.ini gave.
struct SettingsFileReads {
  SettingsFileRead display;
  SettingsFileRead eeprom;
  SettingsFileRead pins;
  SettingsFileRead options{
      std::string(kOptionsFileName), std::string(kOptionsFileName),
      Error{ErrorKind::CannotOpen,
            Reason{ReasonKind::SettingsFileMissing, {{"file", std::string(kOptionsFileName)}}}},
      true};
};

// The settings the files hold, read as loadSettings reads them: one of the three that cannot be
// used (missing, unreadable, empty, malformed, a field of the wrong kind) leaves its values at
// the defaults of a new installation and adds a notice naming it. A UTF-8 byte order mark
// before the record is ignored; bytes that are not UTF-8 are read in the local code page (GBK).
// ladder51.ini is read last, as applyOptionsFile says; without it the chip is the default.
LoadedSettings settingsFromFiles(const SettingsFileReads& files);

// Loads 7219.dat, IIC.dat, io.dat and ladder51.ini, in that order. Never fails: a file that
// cannot be used leaves its values at the defaults of a new installation and adds a notice
// naming it.
LoadedSettings loadSettings(const std::filesystem::path& directory);

// The settings of a new installation with those of ladder51.ini applied, and its notices; the
// other three files are not read.
LoadedSettings loadOptionsFile(const std::filesystem::path& directory);

// Writes 7219.dat, IIC.dat, io.dat and ladder51.ini (keeping the lines of the latter that are
// not its settings'), the texts as written; each is replaced whole or not at all. The texts must
// have passed validateForSave.
Status saveSettings(const std::filesystem::path& directory, const SettingsText& settings);

}  // namespace ladder51
