#include "core/config/settings_files.h"

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::ScratchDir;
using test::writeFile;

SettingsText boardSettings() {
  SettingsText s;
  s.pins[*findPin("P3.2")] = "X0";
  s.pins[*findPin("P1.0")] = "Y0";
  s.pins[*findPin("P4.3")] = "Y43";
  s.filter = "7";
  s.crystal = "11.0592";
  s.display = true;
  s.din = "1.5";
  s.load = "1.6";
  s.clk = "1.7";
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "3.6";
  s.sda = "3.7";
  s.proteus = true;
  return s;
}

// Writes the three files by hand, as an earlier installation left them.
void writeFiles(const ScratchDir& dir, const std::string& display, const std::string& eeprom,
                const std::string& io) {
  writeFile(dir / "7219.dat", display);
  writeFile(dir / "IIC.dat", eeprom);
  writeFile(dir / "io.dat", io);
}

std::string pinFields(const std::string& p32, const std::string& p10, const std::string& filter) {
  std::string record;
  for (int k = 0; k < kPinCount; ++k) {
    const std::string label = pins()[static_cast<std::size_t>(k)].label();
    record += "\"" + (label == "P3.2" ? p32 : label == "P1.0" ? p10 : "") + "\",";
  }
  return record + "\"" + filter + "\"";
}

TEST(SettingsFiles, RecordLinesHaveTheExactFormat) {
  const SettingsText s = boardSettings();
  EXPECT_EQ(displayRecord(s), "1,\"1.5\",\"1.6\",\"1.7\"\r\n");
  EXPECT_EQ(eepromRecord(s), "#FALSE#,\"3.6\",\"3.7\",1,#TRUE#,\"11.0592\"\r\n");
  SettingsText other = s;
  other.eeprom = EepromChoice::From24C32;
  other.proteus = false;
  other.display = false;
  EXPECT_EQ(eepromRecord(other), "#TRUE#,\"3.6\",\"3.7\",0,#FALSE#,\"11.0592\"\r\n");
  EXPECT_EQ(displayRecord(other), "0,\"1.5\",\"1.6\",\"1.7\"\r\n");
  other.eeprom = EepromChoice::None;
  EXPECT_EQ(eepromRecord(other), "#FALSE#,\"3.6\",\"3.7\",0,#FALSE#,\"11.0592\"\r\n");
  EXPECT_EQ(pinRecord(s),
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"Y0\",\"\",\"\",\"\",\"\",\"\","
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"X0\",\"\","
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"Y43\",\"7\"\r\n");
}

TEST(SettingsFiles, ParsesEachFieldKindAnywhere) {
  Result<std::vector<RecordField>> fields =
      parseRecord(" \"a b\" ,12,#TRUE#,#FALSE#,,\"\", -3 ,1.5\r\nignored,line");
  ASSERT_TRUE(fields.ok()) << fields.error().message;
  ASSERT_EQ(fields->size(), 8u);
  using Kind = RecordField::Kind;
  EXPECT_EQ((*fields)[0].kind, Kind::Text);
  EXPECT_EQ((*fields)[0].text, "a b");
  EXPECT_EQ((*fields)[1].kind, Kind::Number);
  EXPECT_EQ((*fields)[1].number, 12);
  EXPECT_EQ((*fields)[2].kind, Kind::Boolean);
  EXPECT_TRUE((*fields)[2].truth);
  EXPECT_FALSE((*fields)[3].truth);
  EXPECT_EQ((*fields)[4].kind, Kind::Empty);
  EXPECT_EQ((*fields)[5].kind, Kind::Text);
  EXPECT_EQ((*fields)[5].text, "");
  EXPECT_EQ((*fields)[6].number, -3);
  EXPECT_EQ((*fields)[7].text, "1.5");
}

TEST(SettingsFiles, RejectsMalformedRecords) {
  for (const char* record :
       {"\"open", "\"a\"b", "abc", "#MAYBE#", "1,2x", "99999999999999999999999"}) {
    EXPECT_FALSE(parseRecord(record).ok()) << record;
  }
}

TEST(SettingsFiles, SaveThenLoadGivesBackEverySetting) {
  SettingsText noEeprom = boardSettings();
  noEeprom.eeprom = EepromChoice::None;
  noEeprom.display = false;
  noEeprom.proteus = false;
  SettingsText from24C32 = boardSettings();
  from24C32.eeprom = EepromChoice::From24C32;
  SettingsText allPins;
  for (int k = 0; k < kPinCount; ++k) {
    allPins.pins[static_cast<std::size_t>(k)] =
        (k < 18 ? "X" : "Y") + std::to_string(k % 18 / 8 * 10 + k % 18 % 8);
  }
  for (const SettingsText& settings :
       {SettingsText{}, boardSettings(), noEeprom, from24C32, allPins}) {
    ScratchDir dir;
    ASSERT_TRUE(saveSettings(dir.path(), settings).ok());
    const LoadedSettings first = loadSettings(dir.path());
    EXPECT_TRUE(first.notices.empty());
    EXPECT_EQ(first.settings, settings);
    ASSERT_TRUE(saveSettings(dir.path(), first.settings).ok());
    EXPECT_EQ(loadSettings(dir.path()).settings, settings);
  }
}

TEST(SettingsFiles, LoadsFilesOfAnEarlierInstallation) {
  ScratchDir dir;
  writeFiles(dir, "1,\"1.5\",\"1.6\",\"1.7\"\r\n", "#FALSE#,\"3.6\",\"3.7\",0,#TRUE#,\"12\"\r\n",
             pinFields("X0", "Y0", "3") + "\r\n");
  const LoadedSettings loaded = loadSettings(dir.path());
  EXPECT_TRUE(loaded.notices.empty());
  SettingsText expected;
  expected.pins[*findPin("P3.2")] = "X0";
  expected.pins[*findPin("P1.0")] = "Y0";
  expected.display = true;
  expected.din = "1.5";
  expected.load = "1.6";
  expected.clk = "1.7";
  expected.eeprom = EepromChoice::Upto24C16;
  expected.scl = "3.6";
  expected.sda = "3.7";
  EXPECT_EQ(loaded.settings, expected);
}

TEST(SettingsFiles, AcceptsLfOnlyAndCrOnlyLinesAndLocalCodePage) {
  for (const char* end : {"\n", "\r", ""}) {
    ScratchDir dir;
    // "甲" in GBK, as the user's earlier systems wrote it.
    const std::string secondLine = std::string(end).empty() ? "" : "1,\"\",\"\",0";
    writeFiles(dir, std::string("0,\"\xBC\xD7\",\"\",\"\"") + end + secondLine,
               std::string("#TRUE#,\"3.6\",\"3.7\",1,#FALSE#,\"24\"") + end,
               pinFields("X0", "", "10") + end);
    const LoadedSettings loaded = loadSettings(dir.path());
    EXPECT_TRUE(loaded.notices.empty()) << loaded.notices.front();
    EXPECT_FALSE(loaded.settings.display);
    EXPECT_EQ(loaded.settings.din, "甲");
    EXPECT_EQ(loaded.settings.eeprom, EepromChoice::From24C32);
    EXPECT_TRUE(loaded.settings.proteus);
    EXPECT_EQ(loaded.settings.crystal, "24");
    EXPECT_EQ(loaded.settings.filter, "10");
    EXPECT_EQ(loaded.settings.pins[*findPin("P3.2")], "X0");
  }
}

TEST(SettingsFiles, EepromChoiceNeedsExactlyOneOptionTrue) {
  struct Row {
    const char* first;
    const char* fifth;
    EepromChoice expected;
  };
  const Row rows[] = {{"#TRUE#", "#FALSE#", EepromChoice::From24C32},
                      {"#FALSE#", "#TRUE#", EepromChoice::Upto24C16},
                      {"#TRUE#", "#TRUE#", EepromChoice::None},
                      {"#FALSE#", "#FALSE#", EepromChoice::None},
                      {"0", "#TRUE#", EepromChoice::Upto24C16},
                      {"", "#TRUE#", EepromChoice::Upto24C16},
                      {"#TRUE#", "", EepromChoice::From24C32}};
  for (const Row& row : rows) {
    ScratchDir dir;
    writeFile(dir / "IIC.dat",
              std::string(row.first) + ",\"3.6\",\"3.7\",0," + row.fifth + ",\"12\"\r\n");
    EXPECT_EQ(loadSettings(dir.path()).settings.eeprom, row.expected)
        << row.first << " " << row.fifth;
  }
}

TEST(SettingsFiles, UnusableFilesGiveDefaultsAndNameTheFile) {
  struct Row {
    const char* name;
    const char* file;
    const char* content;  // nullptr: the file is missing
    const char* notice;
  };
  const Row rows[] = {
      {"missing io.dat", "io.dat", nullptr, "io.dat is missing"},
      {"empty IIC.dat", "IIC.dat", "", "IIC.dat is empty"},
      {"blank 7219.dat", "7219.dat", "  \r\n", "7219.dat is empty"},
      {"unclosed quote", "io.dat", "\"X0,\"\"\r\n", "io.dat is malformed"},
      {"too few fields", "IIC.dat", "#TRUE#,\"3.6\",\"3.7\",0,#FALSE#\r\n", "IIC.dat is malformed"},
      {"boolean in a text field", "7219.dat", "1,#TRUE#,\"1.6\",\"1.7\"\r\n",
       "7219.dat is malformed"},
      {"check box value 2", "7219.dat", "2,\"1.5\",\"1.6\",\"1.7\"\r\n", "7219.dat is malformed"},
      {"text in a boolean field", "IIC.dat", "\"yes\",\"3.6\",\"3.7\",0,#FALSE#,\"12\"\r\n",
       "IIC.dat is malformed"},
      {"not text at all", "io.dat", "\xFF\xFF\xFF", "io.dat is malformed"},
  };
  for (const Row& row : rows) {
    ScratchDir dir;
    SettingsText saved = boardSettings();
    saved.filter = "5";
    ASSERT_TRUE(saveSettings(dir.path(), saved).ok());
    if (row.content == nullptr) {
      std::filesystem::remove(dir / row.file);
    } else {
      writeFile(dir / row.file, row.content);
    }
    const LoadedSettings loaded = loadSettings(dir.path());
    ASSERT_EQ(loaded.notices.size(), 1u) << row.name;
    EXPECT_EQ(loaded.notices[0].rfind(row.notice, 0), 0u) << row.name << ": " << loaded.notices[0];
    // Only the unusable file's part of the settings falls back to a new installation's values.
    SettingsText expected = saved;
    const SettingsText defaults;
    if (std::string(row.file) == "io.dat") {
      expected.pins = defaults.pins;
      expected.filter = defaults.filter;
    } else if (std::string(row.file) == "IIC.dat") {
      expected.eeprom = defaults.eeprom;
      expected.scl = defaults.scl;
      expected.sda = defaults.sda;
      expected.proteus = defaults.proteus;
      expected.crystal = defaults.crystal;
    } else {
      expected.display = defaults.display;
      expected.din = defaults.din;
      expected.load = defaults.load;
      expected.clk = defaults.clk;
    }
    EXPECT_EQ(loaded.settings, expected) << row.name;
  }
}

}  // namespace
}  // namespace ladder51

namespace ladder51 {
namespace {

SettingsFileRead read(std::string_view name, std::string bytes) {
  return {std::string(name), std::string(name), std::move(bytes)};
}

// Content no installation writes but a user's editor or a damaged disk may leave: each file
// either loads or is replaced by the defaults with a notice that names it, and never affects
// the other two files.
TEST(SettingsFiles, HostileContentLoadsOrNamesItsFile) {
  const std::string longText(1 << 20, '1');
  struct Row {
    const char* name;
    std::string display;  // 7219.dat
    const char* notice;   // nullptr: loads without one
    std::string din;      // the DIN text loaded
  };
  const Row rows[] = {
      {"byte order mark",
       "\xEF\xBB\xBF"
       "1,\"1.5\",\"1.6\",\"1.7\"\r\n",
       nullptr, "1.5"},
      {"non-ASCII UTF-8 text", "0,\"甲乙\",\"\",\"\"\n", nullptr, "甲乙"},
      {"megabyte text", "0,\"" + longText + "\",\"\",\"\"\r\n", nullptr, longText},
      {"megabyte number", longText + ",\"1.5\",\"1.6\",\"1.7\"\r\n",
       "7219.dat is malformed (number out of range", ""},
      {"megabyte unquoted field", "0," + std::string(1 << 20, 'x') + ",\"\",\"\"\r\n",
       "7219.dat is malformed (unexpected field", ""},
      {"record after a blank line", "\r\n1,\"1.5\",\"1.6\",\"1.7\"\r\n", "7219.dat is empty", ""},
      {"NUL bytes", std::string("0,\"\0\",\"\",\"\"\r\n", 13), nullptr, std::string(1, '\0')},
      {"only a quote", "\"", "7219.dat is malformed (a quoted text is not closed)", ""},
      {"comma only", ",", "7219.dat is malformed (2 fields instead of 4)", ""},
  };
  SettingsText other;
  other.crystal = "24";
  other.pins[0] = "X0";
  for (const Row& row : rows) {
    const LoadedSettings loaded = settingsFromFiles({read(kDisplayFileName, row.display),
                                                     read(kEepromFileName, eepromRecord(other)),
                                                     read(kPinFileName, pinRecord(other))});
    if (row.notice == nullptr) {
      EXPECT_TRUE(loaded.notices.empty()) << row.name << ": " << loaded.notices.front();
    } else {
      ASSERT_EQ(loaded.notices.size(), 1u) << row.name;
      EXPECT_EQ(loaded.notices[0].rfind(row.notice, 0), 0u)
          << row.name << ": " << loaded.notices[0];
    }
    EXPECT_TRUE(loaded.settings.din == row.din) << row.name;
    EXPECT_EQ(loaded.settings.crystal, "24") << row.name;
    EXPECT_EQ(loaded.settings.pins[0], "X0") << row.name;
  }
}

TEST(SettingsFiles, UnreadablePathsGiveDefaultsWithAReason) {
  ScratchDir dir;
  writeFile(dir / "file", "not a folder");
  std::filesystem::create_directory(dir / "7219.dat");
  std::filesystem::create_directory(dir / "endless");
  std::filesystem::create_symlink("/dev/zero", dir / "endless" / "7219.dat");
  std::filesystem::create_directory(dir / "large");
  writeFile(dir / "large" / "7219.dat", std::string(2 << 20, '0'));
  struct Row {
    const char* name;
    std::filesystem::path directory;
    const char* displayNotice;
  };
  const Row rows[] = {
      {"settings file is a folder", dir.path(), "7219.dat is a folder, not a file"},
      {"a file stands in the path", dir / "file" / "work", "7219.dat is missing"},
      {"name too long for the system", dir / std::string(300, 'n'), "7219.dat cannot be read"},
      {"endless device", dir / "endless",
       "7219.dat is not a settings file (the file is larger than 1048576 bytes)"},
      {"two megabytes", dir / "large",
       "7219.dat is not a settings file (the file is larger than 1048576 bytes)"},
  };
  for (const Row& row : rows) {
    const LoadedSettings loaded = loadSettings(row.directory);
    ASSERT_EQ(loaded.notices.size(), 3u) << row.name;
    EXPECT_EQ(loaded.notices[0].rfind(row.displayNotice, 0), 0u)
        << row.name << ": " << loaded.notices[0];
    EXPECT_EQ(loaded.settings, SettingsText{}) << row.name;
  }
}

}  // namespace
}  // namespace ladder51
