// The MAX7219 decoder: register writes clocked in bit by bit, and a generated firmware showing
// T0, C0 and D0 in the simulator (skipped when SDCC or s51 is missing).
#include "core/sim/max7219.h"

#include <gtest/gtest.h>

#include "core/sequence.h"
#include "core/sim/live_session.h"
#include "core/sim/ram_symbols.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

// DIN on P2.0, LOAD on P2.1, CLK on P2.2.
const Max7219Pins kPins{{2, 0}, {2, 1}, {2, 2}};

// The pin changes of writing 16-bit words as the firmware does: LOAD low, each bit set on DIN
// while CLK is low and clocked in by CLK's rise, then LOAD high. `extraBits` more bits are
// clocked in first, which the chip shifts out.
std::vector<PortChange> clockedIn(const std::vector<std::uint16_t>& words, int extraBits = 0) {
  std::vector<PortChange> changes;
  int level = 0xFF;
  std::uint64_t time = 0;
  auto set = [&](const PortPin& pin, bool high) {
    level = high ? level | (1 << pin.bit) : level & ~(1 << pin.bit);
    changes.push_back({++time, 2, level});
  };
  for (std::uint16_t word : words) {
    set(kPins.load, false);
    for (int bit = 15 + extraBits; bit >= 0; --bit) {
      set(kPins.clk, false);
      set(kPins.din, bit < 16 && ((word >> bit) & 1));
      set(kPins.clk, true);
    }
    set(kPins.load, true);
  }
  return changes;
}

TEST(Max7219, ShowsTheRegistersAsWritten) {
  const struct {
    std::vector<std::uint16_t> words;
    std::string text;
  } cases[] = {
      // Shut down at power-up: nothing lit, whatever the digits hold.
      {{0x0105, 0x0B07}, "        "},
      // Code B on digits 0..3; digit 4 raw (segments A, B, C: a 7); digit 5 raw 0x0F draws
      // nothing the font has.
      {{0x0C01, 0x0B07, 0x090F, 0x0104, 0x0203, 0x0382, 0x040F, 0x0570, 0x060F}, "  ?7 2.34"},
      // Code B's letters and the decimal point, scan limited to four digits.
      {{0x0C01, 0x09FF, 0x0B03, 0x010A, 0x020B, 0x030C, 0x048D, 0x050E, 0x0601}, "    L.HE-"},
      // Display test lights everything, even shut down.
      {{0x0F01}, "8.8.8.8.8.8.8.8."},
      // Words for registers 0 (no-op) and 0xD change nothing.
      {{0x0C01, 0x0B07, 0x0000, 0x0D55}, "        "},
  };
  for (const auto& c : cases) {
    Max7219Decoder decoder(kPins);
    decoder.take(clockedIn(c.words));
    EXPECT_EQ(decoder.display().text(), c.text) << std::hex << c.words.back();
  }
  // Only the last 16 bits clocked in before LOAD rises count.
  Max7219Decoder decoder(kPins);
  EXPECT_TRUE(decoder.take(clockedIn({0x0C01, 0x0B07, 0x09FF, 0x0109}, 5)));
  EXPECT_EQ(decoder.display().text(), "00000009");
  EXPECT_FALSE(decoder.take(clockedIn({0x0109})));  // the same again changes nothing
}

// T0, C0 and D0 on the display, chosen by D15 (0, 1, 2): after the start-up the firmware blanks
// every digit and writes the value's decimal digits from digit 0 up, five for 12345.
TEST(Max7219, DecodesTheFirmwareShowingTimerCounterAndRegister) {
  if (!test::haveProgram("sdcc") || !test::haveProgram("s51")) GTEST_SKIP() << "no SDCC or s51";
  test::ScratchDir work("max7219");
  SettingsText board = test::motorBoard();
  test::assign(board, "P3.4", "X2");
  test::assign(board, "P3.5", "X3");
  board.display = true;
  board.din = "2.0";
  board.load = "2.1";
  board.clk = "2.2";
  Result<SequenceResult> built =
      test::buildWithSdcc(work.path(), board,
                          "LD M8000\nOUT T0 K5\nMOV K12345 D0\nLD X0\nOUT C0 K10\n"
                          "LD X2\nMOV K1 D15\nLD X3\nMOV K2 D15\nEND\n");
  ASSERT_TRUE(built) << built.error().describe();
  const std::optional<Max7219Pins> pins = max7219PinsOf(built->settings);
  ASSERT_TRUE(pins);
  Result<std::unique_ptr<LiveSession>> live =
      LiveSession::start(built->build->report.hexFile, simPinsOf(built->settings), {});
  ASSERT_TRUE(live) << live.error().describe();
  Max7219Decoder decoder(*pins);
  auto runFor = [&](std::uint64_t micros) {
    Result<LiveSlice> slice = (*live)->run(micros);
    ASSERT_TRUE(slice) << slice.error().describe();
    decoder.take(slice->ports);
  };
  runFor(1'000'000);  // T0 runs 500 ms from the first scan; the display shows every 300 ms
  EXPECT_EQ(decoder.display().text(), "       5");  // T0 done at K5
  for (int press = 0; press < 3; ++press) {
    ASSERT_TRUE((*live)->setInput("X0", true));
    runFor(30'000);
    ASSERT_TRUE((*live)->setInput("X0", false));
    runFor(30'000);
  }
  ASSERT_TRUE((*live)->setInput("X2", true));
  runFor(400'000);                                  // the display is written every 300 ms
  EXPECT_EQ(decoder.display().text(), "       3");  // C0 after three presses
  ASSERT_TRUE((*live)->setInput("X3", true));
  runFor(400'000);
  EXPECT_EQ(decoder.display().text(), "   12345");  // D0
  EXPECT_EQ(decoder.display().intensity, 15);
}

}  // namespace
}  // namespace ladder51
