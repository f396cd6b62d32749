#include "core/sim/ram_symbols.h"

#include <cstdio>

#include "core/config/validation.h"
#include "core/translator/instruction_list.h"

#include "tests/core/sim/cases.h"
#include "tests/support/outcome_tables.h"

namespace ladder51 {
namespace {

// data/sdcc/fx1n.map and data/grown/sdcc/fx1n.map are the RAM areas of real SDCC maps: the
// area tables and their globals, code symbols with a "C:" prefix, XRAM ones with "D:", the stack
// an area of its own.
const std::filesystem::path work = test::simData("");

TEST(RamSymbols, ReadsTheRamAreasOfTheLinkerMap) {
  const RamSymbols symbols = parseSdccMap(test::readFile(sdccMapFile(work / "grown")));
  const std::map<std::string, RamSymbol> expected = {
      {"m", {0x66, 63, RamMemory::Internal}},      // ISEG, up to s
      {"tmr", {0x4D, 0x33, RamMemory::Internal}},  // the last of DSEG, up to its end
      {"tc", {0x35, 402, RamMemory::External}},
      {"d", {0x1C7, 202, RamMemory::External}},  // the last of XSEG
  };
  for (const auto& [name, symbol] : expected) EXPECT_EQ(symbols.at(name), symbol) << name;
  EXPECT_FALSE(symbols.contains("_start__stack"));
  EXPECT_FALSE(symbols.contains("_sdcc_program_startup"));
}

// data/watches.cases: the cells of the devices in those maps (a case beginning "grown" reads the
// second), or the refusal.
TEST(RamSymbols, MapsDevicesToTheirCells) {
  test::checkCases("watches", [](const std::string& input) {
    const bool grown = input.starts_with("grown ");
    Result<std::vector<RamWatch>> watches =
        loadWatches(grown ? work / "grown" : work, grown ? input.substr(6) : input);
    if (!watches) return test::errorText(watches.error());
    std::string text;
    for (const RamWatch& watch : *watches) {
      char line[80];
      std::snprintf(line, sizeof line, "%s: %d byte%s at 0x%02x, bit %d%s\n", watch.name.c_str(),
                    watch.bytes, watch.bytes == 1 ? "" : "s", watch.address, watch.bit,
                    watch.memory == RamMemory::External ? " in XRAM" : "");
      text += line;
    }
    return text;
  });
  EXPECT_EQ(watchesFor("D0", {}).error().message, "the symbol map has no variable d");
  const Error noFile = loadWatches(work / "sdcc", "D0").error();
  EXPECT_EQ(noFile.kind, ErrorKind::CannotOpen);
  EXPECT_EQ(noFile.message, "cannot read the symbol map of an SDCC build");
}

// tests/ladder/devices_used.txt: the devices each program names.
TEST(RamSymbols, ListsTheDevicesAProgramUses) {
  test::checkOutcomes(test::sourcePath("tests/ladder/devices_used.txt"), [](std::string program) {
    TranslateOptions options;
    options.registersInXram = true;
    const Translation translation = translate(
        *ProgramImage::fromBytes(*assembleInstructionList(test::linesOf(program) + "\nEND\n")),
        options);
    if (!translation.completed()) return "not translated: " + translation.error().describe();
    std::string names;
    for (const std::string& name : devicesUsed(translation.devices))
      names += (names.empty() ? "" : ", ") + name;
    return names;
  });
}

TEST(RamSymbols, TakesThePinsOfTheAssignedPoints) {
  SettingsText text;
  test::assign(test::assign(text, "P3.2", "X0"), "P0.7", "X17");
  test::assign(test::assign(text, "P1.0", "Y0"), "P4.1", "Y43");
  const SimPinMap pins = simPinsOf(*validateAtStartUp(text));
  const std::map<std::string, PortPin> inputs = {{"X0", {3, 2}}, {"X17", {0, 7}}};
  const std::map<std::string, PortPin> outputs = {{"Y0", {1, 0}}, {"Y43", {4, 1}}};
  EXPECT_EQ(pins.inputs, inputs);
  EXPECT_EQ(pins.outputs, outputs);
}

}  // namespace
}  // namespace ladder51
