#include "core/sim/ram_symbols.h"

#include <gtest/gtest.h>

namespace ladder51 {
namespace {

// The shape of SDCC's linker map: an area table, then the area's globals; code symbols carry
// a "C:" prefix and the stack is an area of its own.
constexpr char kMap[] =
    "Area                                    Addr        Size        Decimal Bytes (Attributes)\n"
    "--------------------------------        ----        ----        ------- ----- ------------\n"
    "DSEG                                00000000    00000080 =         128. bytes (REL,CON)\n"
    "\n"
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n"
    "     00000020  _m                                 fx1n\n"
    "     00000036  _t                                 fx1n\n"
    "     00000042  _c                                 fx1n\n"
    "     00000048  _m8000                             fx1n\n"
    "     00000049  _ct                                fx1n\n"
    "\n"
    "Area                                    Addr        Size        Decimal Bytes (Attributes)\n"
    "--------------------------------        ----        ----        ------- ----- ------------\n"
    "ISEG                                00000079    00000066 =         102. bytes (REL,CON)\n"
    "\n"
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n"
    "     00000079  _tc                                fx1n\n"
    "     00000099  _d                                 fx1n\n"
    "\n"
    "Area                                    Addr        Size        Decimal Bytes (Attributes)\n"
    "--------------------------------        ----        ----        ------- ----- ------------\n"
    "SSEG                                000000E0    00000020 =          32. bytes (REL,OVR)\n"
    "\n"
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n"
    "     000000E0  __start__stack                     fx1n\n"
    "\n"
    "Area                                    Addr        Size        Decimal Bytes (Attributes)\n"
    "--------------------------------        ----        ----        ------- ----- ------------\n"
    "CSEG                                0000006D    000000A5 =         165. bytes (REL,CON,CODE)\n"
    "\n"
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n"
    "C:   0000006D  _timer0                            fx1n\n"
    "C:   0000008F  _main                              fx1n\n";

TEST(RamSymbols, ReadsTheDataAndIdataAreasOfTheLinkerMap) {
  const RamSymbols symbols = parseSdccMap(kMap);
  const RamSymbols expected = {{"m", 0x20},  {"t", 0x36},  {"c", 0x42}, {"m8000", 0x48},
                               {"ct", 0x49}, {"tc", 0x79}, {"d", 0x99}};
  EXPECT_EQ(symbols, expected);
}

TEST(RamSymbols, MapsDevicesToTheirCells) {
  const RamSymbols symbols = parseSdccMap(kMap);
  struct Case {
    const char* devices;
    std::vector<RamWatch> watches;
  };
  const Case cases[] = {
      {"M5", {{"M5", 0x20, 1, 5}}},
      {"m12", {{"M12", 0x21, 1, 4}}},
      {"M79", {{"M79", 0x29, 1, 7}}},
      {"M8002", {{"M8002", 0x48, 1, 1}}},
      {"M8013", {{"M8013", 0x48, 1, 6}}},
      {"T3", {{"T3", 0x36, 1, 3}, {"T3 value", 0x79 + 6, 2, -1}}},
      {"T20", {{"T20", 0x38, 1, 4}}},  // contacts above T15 have no count
      {"C1", {{"C1", 0x42, 1, 1}, {"C1 value", 0x49 + 2, 2, -1}}},
      {"D3", {{"D3", 0x99 + 6, 2, -1}}},
      {"M0, D15", {{"M0", 0x20, 1, 0}, {"D15", 0x99 + 30, 2, -1}}},
  };
  for (const Case& c : cases) {
    Result<std::vector<RamWatch>> watches = watchesFor(c.devices, symbols);
    ASSERT_TRUE(watches.ok()) << c.devices << ": " << watches.error().describe();
    EXPECT_EQ(*watches, c.watches) << c.devices;
  }
}

TEST(RamSymbols, RefusesDevicesTheFirmwareDoesNotKeepInRam) {
  const RamSymbols symbols = parseSdccMap(kMap);
  struct Case {
    const char* devices;
    const char* message;
  };
  const Case cases[] = {
      {"D16", "D16 and up are kept in the EEPROM, not in RAM"},
      {"M80", "not a device that can be shown"},
      {"T26", "not a device that can be shown"},
      {"C11", "not a device that can be shown"},
      {"X0", "not a device that can be shown"},
      {"M", "not a device that can be shown"},
      {"D1x", "not a device that can be shown"},
      {"M8001", "the firmware does not keep this relay"},
  };
  for (const Case& c : cases) {
    Result<std::vector<RamWatch>> watches = watchesFor(c.devices, symbols);
    ASSERT_FALSE(watches.ok()) << c.devices;
    EXPECT_EQ(watches.error().message, c.message) << c.devices;
  }
  Result<std::vector<RamWatch>> noMap = watchesFor("D0", {});
  ASSERT_FALSE(noMap.ok());
  EXPECT_EQ(noMap.error().message, "the symbol map has no variable d");
}

TEST(RamSymbols, TakesThePinsOfTheAssignedPoints) {
  Settings settings;
  settings.pins[static_cast<std::size_t>(*findPin("P3.2"))] = "X0";
  settings.pins[static_cast<std::size_t>(*findPin("P0.7"))] = "X17";
  settings.pins[static_cast<std::size_t>(*findPin("P1.0"))] = "Y0";
  settings.pins[static_cast<std::size_t>(*findPin("P4.1"))] = "Y43";
  const SimPinMap pins = simPinsOf(settings);
  const std::map<std::string, PortPin> inputs = {{"X0", {3, 2}}, {"X17", {0, 7}}};
  const std::map<std::string, PortPin> outputs = {{"Y0", {1, 0}}, {"Y43", {4, 1}}};
  EXPECT_EQ(pins.inputs, inputs);
  EXPECT_EQ(pins.outputs, outputs);
}

TEST(RamSymbols, MergesValuesIntoTheTimeline) {
  const std::vector<RamWatch> watches = {{"M5", 0x20, 1, 5}, {"D3", 0x9F, 2, -1}};
  SimulationResult result;
  result.outputs = {{"Y0", true, 120000}, {"Y0", false, 400000}};
  result.watched = {{"M5", 0, 10000}, {"D3", 0, 10000}, {"D3", 7, 130000}, {"M5", 1, 400000}};
  result.finalValues = {{"M5", 1, 500000}, {"D3", 7, 500000}};
  EXPECT_EQ(formatTimelineWithValues(result, watches),
            "M5 off at 10 ms\n"
            "D3 = 0 at 10 ms\n"
            "Y0 on at 120 ms\n"
            "D3 = 7 at 130 ms\n"
            "Y0 off at 400 ms\n"
            "M5 on at 400 ms\n"
            "at 500 ms: M5 on, D3 = 7\n");
  EXPECT_EQ(formatTimelineWithValues(result, {}), formatTimeline(result));
}

}  // namespace
}  // namespace ladder51
