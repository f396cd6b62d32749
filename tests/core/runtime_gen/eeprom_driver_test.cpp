#include "core/runtime_gen/eeprom_driver.h"

#include <gtest/gtest.h>

#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::findLine;
using test::linesBetween;
using test::splitLines;

std::vector<std::string> driver(EepromChoice eeprom) {
  std::string section;
  appendEepromDriver(section, eeprom);
  return splitLines(section);
}

TEST(EepromDriver, NothingWithoutAnEeprom) {
  std::string section = "kept";
  appendEepromDriver(section, EepromChoice::None);
  EXPECT_EQ(section, "kept");
}

TEST(EepromDriver, BothVariantsShareTheBusRoutinesAndFrames) {
  const std::vector<std::string> paged = driver(EepromChoice::Upto24C16);
  const std::vector<std::string> twoByte = driver(EepromChoice::From24C32);
  for (const auto& lines : {paged, twoByte}) {
    EXPECT_EQ(lines[1], " #if  1");
    EXPECT_EQ(lines[2], " void _Nop()");
    EXPECT_EQ(lines[lines.size() - 1], " #endif  ");
    EXPECT_EQ(lines[lines.size() - 2], " #endif  ");
    EXPECT_EQ(lines[lines.size() - 3], " }");
    int frames = 0;
    for (const std::string& line : lines) frames += line == " #if  1";
    EXPECT_EQ(frames, 2);
  }
  const std::size_t busEnd =
      findLine(paged, " unsigned char WrData(unsigned int addr,unsigned char dta)");
  ASSERT_EQ(busEnd, findLine(twoByte, paged[busEnd]));
  for (std::size_t k = 0; k < busEnd; ++k) EXPECT_EQ(paged[k], twoByte[k]) << k;
  EXPECT_EQ(paged[busEnd - 1], " #if  1");
}

TEST(EepromDriver, BusTimingUsesTheDocumentedDelays) {
  const std::vector<std::string> lines = driver(EepromChoice::From24C32);
  auto nops = [&](const char* first, const char* last) {
    int count = 0;
    for (const std::string& line : linesBetween(lines, first, last)) {
      count += line.find("_Nop();") != std::string::npos && line.find("//") == std::string::npos;
    }
    return count;
  };
  // Start: SDA high, SCL high, five delays, SDA low, five delays, SCL low, two delays.
  EXPECT_EQ(nops(" void Start_I2c()", " void Stop_I2c()"), 13);
  // Stop: SDA low, delay, SCL high, five delays, SDA high, four delays.
  EXPECT_EQ(nops(" void Stop_I2c()", " void  SendByte(unsigned char c)"), 10);
  const std::vector<std::string> sendByte =
      linesBetween(lines, " void  SendByte(unsigned char c)", " unsigned char RcvByte()");
  const char* masks[] = {"0x80", "0x40", "0x20", "0x10", "0x08", "0x04", "0x02", "0x01"};
  for (int bit = 0; bit < 8; ++bit) {
    const std::string test = "if(BitCnt==" + std::to_string(bit) + ")b=c&" + masks[bit] + ";";
    bool found = false;
    for (const std::string& line : sendByte) found = found || line.find(test) != std::string::npos;
    EXPECT_TRUE(found) << test;
  }
}

TEST(EepromDriver, PagedVariantPutsTheBlockIntoTheDeviceByte) {
  const std::vector<std::string> lines = driver(EepromChoice::Upto24C16);
  const std::vector<std::string> write =
      linesBetween(lines, " unsigned char WrData(unsigned int addr,unsigned char dta)", " }");
  ASSERT_GT(write.size(), 8u);
  EXPECT_EQ(write[3], "  high=addr/256;high=high<<1;high=high&0x0e;high=high+0xa0;");
  EXPECT_EQ(write[4], "  low=addr;");
  EXPECT_EQ(write[5], "  Start_I2c();");
  EXPECT_EQ(write[6], "  SendByte(high);//hi addr");
  EXPECT_EQ(write[8], "  SendByte(low);//low addr");
  EXPECT_LT(findLine(lines, " Start_I2c();high++;"), lines.size());
  for (const std::string& line : lines) EXPECT_EQ(line.find("0xa0)"), std::string::npos) << line;
}

TEST(EepromDriver, WrDataEnablesInterruptsOnEveryExit) {
  for (EepromChoice eeprom : {EepromChoice::Upto24C16, EepromChoice::From24C32}) {
    const std::vector<std::string> write = linesBetween(
        driver(eeprom), " unsigned char WrData(unsigned int addr,unsigned char dta)", " }");
    int exits = 0;
    for (std::size_t k = 0; k < write.size(); ++k) {
      if (write[k].find("return(") == std::string::npos) continue;
      ++exits;
      const bool enabled =
          write[k].find("EA=1;") < write[k].find("return(") || (k > 0 && write[k - 1] == "  EA=1;");
      EXPECT_TRUE(enabled) << write[k];
    }
    EXPECT_EQ(exits, eeprom == EepromChoice::From24C32 ? 5 : 4);
  }
}

}  // namespace
}  // namespace ladder51
