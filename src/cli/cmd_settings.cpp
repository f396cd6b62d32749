// `ladder51 settings [-C DIR] [changes]`: prints the pin map and options that DIR's settings
// files hold; with changes, runs the save command first.
#include <cctype>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "core/config/validation.h"
#include "core/workspace.h"

namespace ladder51::cli {
namespace {

// The requested changes; an unset member leaves its setting as loaded.
struct Changes {
  std::vector<std::string> pins;  // "P3.2=X0"
  std::optional<std::string> crystal, filter, scl, sda, din, load, clk;
  std::optional<EepromChoice> eeprom;
  std::optional<bool> display, proteus;
  std::optional<std::string> chip, timeBase;

  bool any() const {
    return !pins.empty() || crystal || filter || scl || sda || din || load || clk || eeprom ||
           display || proteus || chip || timeBase;
  }
};

std::string eepromName(EepromChoice eeprom) {
  switch (eeprom) {
    case EepromChoice::None:
      return "none";
    case EepromChoice::Upto24C16:
      return "24c16";
    case EepromChoice::From24C32:
      return "24c32";
  }
  return "none";
}

std::string onOff(bool value) {
  return value ? "on" : "off";
}

// One "name=value" line per setting, pins first, with the option names of this command.
void printSettings(const SettingsText& settings) {
  for (std::size_t k = 0; k < settings.pins.size(); ++k) {
    std::cout << "pin " << pins()[k].label() << "=" << settings.pins[k] << "\n";
  }
  std::cout << "xtal=" << settings.crystal << "\n"
            << "filter=" << settings.filter << "\n"
            << "eeprom=" << eepromName(settings.eeprom) << "\n"
            << "scl=" << settings.scl << "\n"
            << "sda=" << settings.sda << "\n"
            << "display=" << onOff(settings.display) << "\n"
            << "din=" << settings.din << "\n"
            << "load=" << settings.load << "\n"
            << "clk=" << settings.clk << "\n"
            << "proteus=" << onOff(settings.proteus) << "\n"
            << "chip=" << settings.chip << "\n"
            << "time-base=" << settings.timeBase << "\n";
}

// The settings with the changes applied; an Error for a malformed --pin or an unknown chip.
Result<SettingsText> applyChanges(SettingsText settings, const Changes& changes) {
  for (const std::string& pin : changes.pins) {
    const std::size_t equals = pin.find('=');
    const std::optional<int> index =
        equals == std::string::npos ? std::nullopt : findPin(pin.substr(0, equals));
    if (!index)
      return Error{ErrorKind::BadArgument,
                   "--pin takes PIN=POINT with PIN one of P0.0 .. P4.3: " + pin};
    settings.pins[static_cast<std::size_t>(*index)] = pin.substr(equals + 1);
  }
  auto assign = [](std::string& target, const std::optional<std::string>& value) {
    if (value) target = *value;
  };
  assign(settings.crystal, changes.crystal);
  assign(settings.filter, changes.filter);
  assign(settings.scl, changes.scl);
  assign(settings.sda, changes.sda);
  assign(settings.din, changes.din);
  assign(settings.load, changes.load);
  assign(settings.clk, changes.clk);
  if (changes.eeprom) settings.eeprom = *changes.eeprom;
  if (changes.display) settings.display = *changes.display;
  if (changes.proteus) settings.proteus = *changes.proteus;
  if (changes.chip) {
    Result<ChipProfile> chip = chipNamed(*changes.chip);
    if (!chip) return chip.error();
    settings.chip = chip->name;
  }
  if (changes.timeBase) {
    // In any case, as the chip's name.
    std::string name = *changes.timeBase;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (Status known = checkTimeBase(name); !known) return known.error();
    settings.timeBase = name;
  }
  return settings;
}

}  // namespace

void addSettingsCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string directory = ".";
    Changes changes;
  };
  auto options = std::make_shared<Options>();
  Changes& changes = options->changes;
  CLI::App* cmd = app.add_subcommand(
      "settings", "Print the settings of a work directory; with changes, validate and save them");
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory holding io.dat, IIC.dat, 7219.dat and ladder51.ini (default: .)");
  cmd->add_option("--pin", changes.pins, "Assign a point to a pin, e.g. P3.2=X0 (P3.2= clears)");
  cmd->add_option("--xtal", changes.crystal, "Crystal frequency in MHz, e.g. 11.0592");
  cmd->add_option("--filter", changes.filter, "Input filter setting, 0 to 10");
  const std::map<std::string, EepromChoice> eeproms = {{"none", EepromChoice::None},
                                                       {"24c16", EepromChoice::Upto24C16},
                                                       {"24c32", EepromChoice::From24C32}};
  cmd->add_option("--eeprom", changes.eeprom, "External EEPROM: none, 24c16 or 24c32")
      ->transform(CLI::CheckedTransformer(eeproms, CLI::ignore_case));
  cmd->add_option("--scl", changes.scl, "I2C clock pin of the EEPROM, e.g. 3.6");
  cmd->add_option("--sda", changes.sda, "I2C data pin of the EEPROM, e.g. 3.7");
  const std::map<std::string, bool> switches = {{"on", true}, {"off", false}};
  cmd->add_option("--display", changes.display, "MAX7219 display driver fitted: on or off")
      ->transform(CLI::CheckedTransformer(switches, CLI::ignore_case));
  cmd->add_option("--din", changes.din, "MAX7219 DIN pin, e.g. 1.5");
  cmd->add_option("--load", changes.load, "MAX7219 LOAD pin, e.g. 1.6");
  cmd->add_option("--clk", changes.clk, "MAX7219 CLK pin, e.g. 1.7");
  cmd->add_option("--proteus", changes.proteus, "Source meant for Proteus simulation: on or off")
      ->transform(CLI::CheckedTransformer(switches, CLI::ignore_case));
  cmd->add_option("--chip", changes.chip,
                  "Chip the firmware runs on, which sets the build's flash and RAM limits: " +
                      chipNameList() + " (default at89s52)");
  cmd->add_option("--time-base", changes.timeBase,
                  "How timers count: fx (T0-T199 in 100 ms, T200-T245 in 10 ms, M8011-M8014 as "
                  "on the PLC; the default) or classic (the original runtime's base)");
  cmd->callback([options, &context] {
    PrintingObserver observer;
    Workspace workspace(options->directory, observer);
    const Status started = workspace.startUp();
    if (!options->changes.any()) {
      printSettings(workspace.settingsText());
      if (!started) fail(context, started.error());
      return;
    }
    Result<SettingsText> changed = applyChanges(workspace.settingsText(), options->changes);
    if (!changed) return fail(context, changed.error());
    if (Status saved = workspace.save(*changed); !saved) return fail(context, saved.error());
    printSettings(workspace.settingsText());
  });
}

}  // namespace ladder51::cli
