#include "core/config/pin_map.h"

#include <gtest/gtest.h>

namespace ladder51 {
namespace {

TEST(PinMap, LabelsAndBitAddressesInPinMapOrder) {
  struct Row {
    int position;
    const char* label;
    int bitAddress;
  };
  const Row rows[] = {{0, "P0.0", 0x80},  {7, "P0.7", 0x87},  {8, "P1.0", 0x90},
                      {15, "P1.7", 0x97}, {16, "P2.0", 0xA0}, {24, "P3.0", 0xB0},
                      {26, "P3.2", 0xB2}, {32, "P4.0", 0xE8}, {35, "P4.3", 0xEB}};
  for (const Row& row : rows) {
    const Pin& pin = pins()[static_cast<std::size_t>(row.position)];
    EXPECT_EQ(pin.label(), row.label);
    EXPECT_EQ(pin.bitAddress, row.bitAddress) << row.label;
    EXPECT_EQ(findPin(row.label), row.position);
  }
  EXPECT_FALSE(findPin("P4.4"));
  EXPECT_FALSE(findPin("P5.0"));
  EXPECT_FALSE(findPin("p3.2"));
}

TEST(PinMap, AcceptsExactlyTheSeventyTwoPointNames) {
  int accepted = 0;
  for (char kind : {'X', 'Y'}) {
    for (int number = 0; number < 100; ++number) {
      if (isAcceptedPointName(kind + std::to_string(number))) ++accepted;
    }
  }
  EXPECT_EQ(accepted, 72);
}

TEST(PinMap, PointNamesAreCaseSensitiveOctalWithoutLeadingZero) {
  struct Row {
    const char* name;
    bool accepted;
  };
  const Row rows[] = {{"", true},     {"X0", true},   {"X7", true},    {"X10", true},
                      {"X43", true},  {"Y17", true},  {"Y40", true},   {"X8", false},
                      {"X9", false},  {"X18", false}, {"X44", false},  {"x1", false},
                      {"Y08", false}, {"X00", false}, {"X1 ", false},  {" X1", false},
                      {"M0", false},  {"X", false},   {"X100", false}, {"Y50", false}};
  for (const Row& row : rows) EXPECT_EQ(isAcceptedPointName(row.name), row.accepted) << row.name;
}

TEST(PinMap, PointIndexAndInputIndex) {
  struct Row {
    const char* name;
    PointKind kind;
    int index;
    int inputIndex;
  };
  const Row rows[] = {{"X0", PointKind::Input, 0, 0},     {"X7", PointKind::Input, 7, 7},
                      {"X10", PointKind::Input, 10, 8},   {"X17", PointKind::Input, 17, 15},
                      {"Y24", PointKind::Output, 24, 20}, {"Y43", PointKind::Output, 43, 35}};
  for (const Row& row : rows) {
    const std::optional<Point> point = parsePointName(row.name);
    ASSERT_TRUE(point) << row.name;
    EXPECT_EQ(point->kind, row.kind) << row.name;
    EXPECT_EQ(point->index, row.index) << row.name;
    EXPECT_EQ(point->inputIndex(), row.inputIndex) << row.name;
    EXPECT_EQ(pointIndexOf(row.inputIndex), row.index) << row.name;
  }
}

}  // namespace
}  // namespace ladder51
