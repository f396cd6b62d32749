#include "core/sim/ram_symbols.h"

#include <cstdio>

#include "core/config/validation.h"

#include "tests/core/sim/cases.h"

namespace ladder51 {
namespace {

// data/sdcc/fx1n.map has the shape of SDCC's linker map: an area table, then the area's
// globals; code symbols carry a "C:" prefix and the stack is an area of its own.
const std::filesystem::path work = test::simData("");

TEST(RamSymbols, ReadsTheDataAndIdataAreasOfTheLinkerMap) {
  const RamSymbols expected = {{"m", 0x20},  {"t", 0x36},  {"c", 0x42}, {"m8000", 0x48},
                               {"ct", 0x49}, {"tc", 0x79}, {"d", 0x99}};
  EXPECT_EQ(parseSdccMap(test::readFile(sdccMapFile(work))), expected);
}

// data/watches.cases: the cells of the devices in that map, or the refusal.
TEST(RamSymbols, MapsDevicesToTheirCells) {
  test::checkCases("watches", [](const std::string& input) {
    Result<std::vector<RamWatch>> watches = loadWatches(work, input);
    if (!watches) return test::errorText(watches.error());
    std::string text;
    for (const RamWatch& watch : *watches) {
      char line[64];
      std::snprintf(line, sizeof line, "%s: %d byte%s at 0x%02x, bit %d\n", watch.name.c_str(),
                    watch.bytes, watch.bytes == 1 ? "" : "s", watch.address, watch.bit);
      text += line;
    }
    return text;
  });
  EXPECT_EQ(watchesFor("D0", {}).error().message, "the symbol map has no variable d");
  const Error noFile = loadWatches(work / "sdcc", "D0").error();
  EXPECT_EQ(noFile.kind, ErrorKind::CannotOpen);
  EXPECT_EQ(noFile.message, "cannot read the symbol map of an SDCC build");
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
