// The pin map, the checks of the settings and the settings files, from the tables in data/: each
// line "INPUT => OUTCOME" (blank lines and lines that begin "#" are comments; each file's first
// comment says how its lines are written). `make golden` (LADDER51_UPDATE_GOLDEN=1) rewrites the
// outcomes from the code as it stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <sstream>

#include "core/config/options_file.h"
#include "core/config/settings_files.h"
#include "core/config/validation.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

// Bytes as the tables write them: \r, \n, \xHH, {N*C} for N copies of C; others as they are.
std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '{') {
      const std::size_t star = text.find('*', k);
      out.append(std::stoul(std::string(text.substr(k + 1, star - k - 1))), text[star + 1]);
      k = star + 2;  // at the '}'
    } else if (text.substr(k, 2) == "\\x") {
      out += static_cast<char>(std::stoi(std::string(text.substr(k + 2, 2)), nullptr, 16));
      k += 3;
    } else {
      out += text[k] != '\\' ? text[k] : text[++k] == 'r' ? '\r' : text[k] == 'n' ? '\n' : text[k];
    }
  }
  return out;
}

// Runs of 64 or more of a letter or digit as {N*C}; the other bytes that would not show (and
// blanks when `blanks`) as \r, \n or \xHH.
std::string escape(std::string_view bytes, bool blanks = false) {
  std::string out;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const auto c = static_cast<unsigned char>(bytes[k]);
    const std::size_t end = std::isalnum(c) ? bytes.find_first_not_of(bytes[k], k) : k + 1;
    const std::size_t run = std::min(end, bytes.size()) - k;
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    if (run >= 64) {
      out += "{" + std::to_string(run) + "*" + bytes[k] + "}";
      k += run - 1;
    } else if (c < 0x20 || c == 0x7F || c == '\\' || c == '{' || (blanks && c == ' ')) {
      out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : hex;
    } else {
      out += bytes[k];
    }
  }
  return out;
}

const std::pair<const char*, std::string SettingsText::*> kTexts[] = {
    {"filter", &SettingsText::filter},     {"crystal", &SettingsText::crystal},
    {"din", &SettingsText::din},           {"load", &SettingsText::load},
    {"clk", &SettingsText::clk},           {"scl", &SettingsText::scl},
    {"sda", &SettingsText::sda},           {"chip", &SettingsText::chip},
    {"time-base", &SettingsText::timeBase}};
const char* const kOnOff[] = {"off", "on"};
const char* const kEeprom[] = {"none", "24c16", "24c32"};

// Every setting's name and text, the pins first.
std::vector<std::pair<std::string, std::string>> namedTexts(const SettingsText& s) {
  std::vector<std::pair<std::string, std::string>> named;
  for (std::size_t k = 0; k < s.pins.size(); ++k) named.emplace_back(pins()[k].label(), s.pins[k]);
  for (const auto& [name, member] : kTexts) named.emplace_back(name, s.*member);
  named.insert(named.end(), {{"display", kOnOff[s.display]},
                             {"eeprom", kEeprom[static_cast<int>(s.eeprom)]},
                             {"proteus", kOnOff[s.proteus]}});
  return named;
}

// The words NAME=TEXT of the settings that differ from a new installation, each after a blank.
std::string wordsOf(const SettingsText& settings) {
  const auto mine = namedTexts(settings), fresh = namedTexts(SettingsText{});
  std::string words;
  for (std::size_t k = 0; k < mine.size(); ++k) {
    if (mine[k] != fresh[k]) words += " " + mine[k].first + "=" + escape(mine[k].second, true);
  }
  return words;
}

// A new installation changed by the words; throws unless each names a setting and a value of it.
SettingsText settingsOf(const std::string& words) {
  const auto fresh = namedTexts(SettingsText{});
  std::map<std::string, std::string> w(fresh.begin(), fresh.end());
  std::istringstream in(words);
  for (std::string word; in >> word;)
    w[word.substr(0, word.find('='))] = unescape(word.substr(word.find('=') + 1));
  SettingsText s;
  for (std::size_t k = 0; k < s.pins.size(); ++k) s.pins[k] = w[pins()[k].label()];
  for (const auto& [name, member] : kTexts) s.*member = w[name];
  for (int n = 0; n < 3; ++n) {
    if (w["eeprom"] == kEeprom[n]) s.eeprom = static_cast<EepromChoice>(n);
  }
  s.display = w["display"] == "on";
  s.proteus = w["proteus"] == "on";
  const auto named = namedTexts(s);
  if (std::map(named.begin(), named.end()) != w) throw std::runtime_error("not settings: " + words);
  return s;
}

// Checks each "INPUT => OUTCOME" line of data/NAME against run(INPUT).
void checkTable(const std::string& name, const std::function<std::string(std::string)>& run) {
  const std::filesystem::path path = sourcePath("tests/core/config/data/" + name);
  std::istringstream lines(readFile(path));
  std::string rewritten;
  for (std::string line; std::getline(lines, line); rewritten += line + "\n") {
    const std::size_t arrow = (" " + line).find(" => ");  // where "=> " starts in the line
    if (line.empty() || line.starts_with('#')) continue;
    if (arrow == std::string::npos) ADD_FAILURE() << name << ": no \" => \" in " << line;
    if (arrow == std::string::npos) continue;
    const std::string outcome = run(line.substr(0, arrow - (arrow > 0)));
    EXPECT_EQ(line.substr(arrow + 3), outcome) << name << ": " << line;
    line = line.substr(0, arrow + 3) + outcome;
  }
  if (updatingGolden()) writeFile(path, rewritten);
}

TEST(SettingsGolden, PinLabelsAndPointNames) {
  checkTable("pin_map.txt", [](std::string text) {
    text = unescape(text);
    std::string named;
    if (const std::optional<int> position = findPin(text)) {
      const Pin& pin = pins()[static_cast<std::size_t>(*position)];
      EXPECT_EQ(pin.label(), text);
      char address[8];
      std::snprintf(address, sizeof address, "0x%02X", pin.bitAddress);
      named = "pin " + std::to_string(*position) + ", bit address " + address;
    }
    if (const std::optional<Point> point = parsePointName(text)) {
      EXPECT_EQ(pointIndexOf(point->inputIndex()), point->index) << text;
      named += (point->kind == PointKind::Input ? "input " : "output ") +
               std::to_string(point->index) + ", number " + std::to_string(point->inputIndex());
    }
    EXPECT_EQ(isAcceptedPointName(text), text.empty() || parsePointName(text)) << text;
    return named.empty() ? "neither" : named;
  });
  int accepted = 0;
  for (const char* kind : {"X", "Y"}) {
    for (int n = 0; n < 100; ++n) accepted += isAcceptedPointName(kind + std::to_string(n));
  }
  EXPECT_EQ(accepted, 72);
}

std::string outcomeOf(const Result<Settings>& s) {
  if (!s) return s.error().message;
  return "accepted (" + textOf(*s).crystal + " MHz, threshold " +
         std::to_string(s->scanThreshold()) + ", filter " + std::to_string(s->filter) + ")";
}

TEST(SettingsGolden, ChecksOnSaveAndAtStartUp) {
  checkTable("validation.txt", [](const std::string& input) -> std::string {
    if (input.starts_with("count")) {
      const AssignmentTables tables = countAssignments(settingsOf(input.substr(5)).pins);
      std::string counts;
      for (std::size_t k = 0; k < tables.xAssignCount.size(); ++k) {
        EXPECT_EQ(tables.xAssignFlag[k], tables.xAssignCount[k] > 0 ? 1 : 0) << "X" << k;
        const int x = tables.xAssignCount[k], y = tables.yAssignCount[k];
        if (x) counts += " X" + std::to_string(k) + "*" + std::to_string(x);
        if (y) counts += " Y" + std::to_string(k) + "*" + std::to_string(y);
      }
      return counts.empty() ? "none" : counts.substr(1);
    }
    const SettingsText text = settingsOf(input);
    const Result<Settings> onSave = validateForSave(text), atStartUp = validateAtStartUp(text);
    if (onSave) {
      // The texts of the numbers are valid again and stand for the same settings.
      const Result<Settings> again = validateForSave(textOf(*onSave));
      EXPECT_TRUE(again && *again == *onSave) << input;
      EXPECT_TRUE(!atStartUp || *atStartUp == *onSave) << input;
    }
    const std::string save = outcomeOf(onSave), startUp = outcomeOf(atStartUp);
    return save == startUp ? save : save + " / start-up: " + startUp;
  });
}

// The parts of a line's input: "save WORDS", "NAME: BYTES" or "NAME missing".
std::vector<std::string> partsOf(const std::string& input) {
  std::vector<std::string> parts;
  for (std::size_t k = 0, end = 0; end != std::string::npos; k = end + 3)
    parts.push_back(input.substr(k, (end = input.find(" / ", k)) - k));
  return parts;
}

// A part's file name, and its bytes.
std::pair<std::string, std::string> fileOf(const std::string& part) {
  const std::string name = part.substr(0, part.find_first_of(": "));
  return {name, unescape(part.substr(std::min(part.size(), name.size() + 2)))};
}

std::string noticesOf(const LoadedSettings& loaded) {
  std::string out;
  for (const UserNotice& notice : loaded.notices)
    out += "notice: " + escape(notice.message) + " / ";
  return out;
}

// The files the settings of the last part "save WORDS" are saved as, over the files the parts
// before it wrote; they load back to the same settings (the notices they load with follow).
std::string savedFiles(const std::vector<std::string>& parts) {
  ScratchDir dir;
  for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
    const auto [name, bytes] = fileOf(parts[k]);
    writeFile(dir / name, bytes);
  }
  const SettingsText settings = settingsOf(parts.back().substr(4));
  EXPECT_TRUE(saveSettings(dir.path(), settings).ok());
  const LoadedSettings loaded = loadSettings(dir.path());
  EXPECT_EQ(loaded.settings, settings) << "loads back as" << wordsOf(loaded.settings);
  std::string files;
  for (const char* name : {"7219.dat", "IIC.dat", "io.dat", "ladder51.ini"})
    files += std::string(name) + ": " + escape(readFile(dir / name)) + " / ";
  files += noticesOf(loaded);
  return files.substr(0, files.size() - 3);
}

// The notices and the settings that the files saved by a first part "save WORDS" (a new
// installation's without one) load to, each replaced by a part "NAME: BYTES" or "NAME missing".
std::string loadedFiles(const std::vector<std::string>& parts) {
  const SettingsText saved =
      parts[0].starts_with("save") ? settingsOf(parts[0].substr(4)) : SettingsText{};
  SettingsFileRead reads[] = {{"7219.dat", "7219.dat", displayRecord(saved)},
                              {"IIC.dat", "IIC.dat", eepromRecord(saved)},
                              {"io.dat", "io.dat", pinRecord(saved)},
                              {"ladder51.ini", "ladder51.ini", optionsFileText(saved, "")}};
  ScratchDir empty;
  for (const std::string& part : parts) {
    const auto [name, bytes] = fileOf(part);
    if (name == "save") continue;
    auto read = std::ranges::find(reads, name, &SettingsFileRead::name);
    if (read == std::end(reads)) throw std::runtime_error("not a file: " + part);
    if (part == name + " missing")
      *read = readSettingsFile(empty / name);
    else
      read->bytes = bytes;
  }
  const LoadedSettings loaded = settingsFromFiles({reads[0], reads[1], reads[2], reads[3]});
  EXPECT_EQ(settingsOf(wordsOf(loaded.settings)), loaded.settings);  // the words show them all
  const std::string words = wordsOf(loaded.settings);
  return noticesOf(loaded) + "settings:" + (words.empty() ? " as a new installation" : words);
}

TEST(SettingsGolden, FilesSavedAndLoaded) {
  checkTable("settings_files.txt", [](const std::string& input) {
    const std::vector<std::string> parts = partsOf(input);
    return parts.back().starts_with("save") ? savedFiles(parts) : loadedFiles(parts);
  });
}

// Paths that cannot be read as a file leave every setting as a new installation has it, with a
// notice for each file that says why (none for a missing ladder51.ini).
TEST(SettingsFiles, UnreadablePathsGiveDefaultsWithAReason) {
  ScratchDir dir;
  writeFile(dir / "file", "not a folder");
  std::filesystem::create_directory(dir / "7219.dat");
  std::filesystem::create_directory(dir / "ladder51.ini");
  std::filesystem::create_directory(dir / "endless");
  std::filesystem::create_symlink("/dev/zero", dir / "endless" / "7219.dat");
  writeFile(dir / "large" / "7219.dat", std::string(2 << 20, '0'));
  const std::string tooLarge = "is not a settings file (the file is larger than 1048576 bytes)";
  const std::pair<std::filesystem::path, std::string> rows[] = {
      {dir.path(), "is a folder, not a file"},
      {dir / "file" / "work", "is missing"},
      {dir / std::string(300, 'n'), "cannot be read"},
      {dir / "endless", tooLarge},
      {dir / "large", tooLarge}};
  for (const auto& [directory, reason] : rows) {
    const LoadedSettings loaded = loadSettings(directory);
    // A folder, or a path that cannot be looked at, is not a missing file.
    const std::size_t notices = reason.starts_with("is a folder") || reason == "cannot be read";
    ASSERT_EQ(loaded.notices.size(), 3u + notices) << directory;
    EXPECT_TRUE(loaded.notices[0].message.starts_with("7219.dat " + reason))
        << loaded.notices[0].message;
    EXPECT_TRUE(!notices || loaded.notices[3].message.starts_with("ladder51.ini " + reason));
    EXPECT_EQ(loaded.settings, SettingsText{}) << directory;
  }
}

}  // namespace
}  // namespace ladder51::test
