// Whole fx1n.c files for representative option sets, from the settings files through the
// translation of a small program: compared with the golden files under tests/golden (which
// `make golden` rewrites) and compiled and linked for the 8051 with SDCC. Between them the
// option sets take every branch of the generators that depends on the settings.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include "core/config/declarations.h"
#include "core/runtime_gen/main_routine.h"
#include "core/runtime_gen/runtime_routines.h"
#include "core/toolchain/sdcc_source.h"
#include "core/workspace.h"
#include "tests/support/fixtures.h"
#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::assign;

struct OptionSet {
  const char* name;  // also the golden file's name, with ".golden"
  std::function<void(SettingsText&)> configure;
  const char* program;  // instruction-list text
};

// The sets up to fx1n_internal_ram_grown keep the classic time base, whose files are those of
// earlier versions; the others use the FX base.
const OptionSet kOptionSets[] = {
    {"fx1n_no_options", [](SettingsText& s) { s.timeBase = "classic"; },
     // Nothing assigned: the output works as an internal relay only.
     "LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n"},
    {"fx1n_display_24c16",
     [](SettingsText& s) {
       s.timeBase = "classic";
       assign(s, "P3.2", "X0");
       assign(s, "P3.3", "X1");
       assign(s, "P1.0", "Y0");
       s.display = true;
       s.din = "1.5";
       s.load = "1.6";
       s.clk = "1.7";
       s.eeprom = EepromChoice::Upto24C16;
       s.scl = "3.6";
       s.sda = "3.7";
     },
     "LD X0\nOUT Y0\nLD X1\nOUT T0 K50\nLD T0\nMOV K1234 D20\nMOV D20 D0\nLD M8002\nMOV K2 D15\n"
     "END\n"},
    {"fx1n_24c32_proteus",
     [](SettingsText& s) {
       s.timeBase = "classic";
       assign(s, "P3.2", "X0");
       assign(s, "P2.7", "Y7");
       s.crystal = "11.0592";
       s.filter = "10";
       s.eeprom = EepromChoice::From24C32;
       s.scl = "1.0";
       s.sda = "1.1";
       s.proteus = true;
     },
     "LDP X0\nINC D100\nLD X0\nOUT Y7\nLD= D100 K5\nZRST D0 D3\nEND\n"},
    {"fx1n_every_pin",
     [](SettingsText& s) {
       s.timeBase = "classic";
       for (int k = 0; k < kPinCount; ++k) {
         const int point = k % 18;  // X0..X21 on the first 18 pins, Y0..Y21 on the rest
         s.pins[static_cast<std::size_t>(k)] =
             (k < 18 ? "X" : "Y") + std::to_string(point / 8 * 10 + point % 8);
       }
       s.filter = "0";
       s.crystal = "24";
     },
     "LD X0\nAND X21\nOUT Y21\nLD X7\nZRST Y0 Y43\nEND\n"},
    {"fx1n_display_only",
     [](SettingsText& s) {
       s.timeBase = "classic";
       assign(s, "P4.1", "X1");
       assign(s, "P0.2", "Y2");
       s.display = true;
       s.din = "4.0";
       s.load = "2.10";  // the first and the third character: P21
       s.clk = "3";      // a single character: the whole port P3
       s.filter = "7";
       s.crystal = "1";
     },
     // Y1 has no pin although X1 has one.
     "LD X1\nOUT Y1\nOUT Y2\nEND\n"},
    // Devices beyond the fixed tables: grown in internal RAM on the AT89S52, and in the XRAM of
    // a chip with XRAM, the registers from D16 up with them when no EEPROM keeps them.
    {"fx1n_internal_ram_grown",
     [](SettingsText& s) {
       s.timeBase = "classic";
       assign(s, "P3.2", "X0");
       assign(s, "P1.0", "Y0");
     },
     "LD M8002\nSET S0\nSTL S0\nLD X0\nSET S1\nSTL S1\nOUT Y0\nOUT T17 K5\nLD T17\nOUT S0\n"
     "RET\nLD X0\nOUT M100\nEND\n"},
    {"fx1n_xram",
     [](SettingsText& s) {
       assign(s, "P3.2", "X0");
       assign(s, "P1.0", "Y0");
       s.chip = "stc89c54";
     },
     "LD X0\nOR M300\nOUT M300\nOUT T210 K50\nLD T210\nOUT Y0\nOUT C50 K3\nLDP X0\n"
     "INC D100\nLD X0\nZRST D0 D120\nEND\n"},
    // The FX time base at 11.0592 MHz: timer 2 every millisecond, each timer's own units.
    {"fx1n_fx_time_base",
     [](SettingsText& s) {
       assign(s, "P3.2", "X0");
       assign(s, "P1.0", "Y0");
       s.crystal = "11.0592";
     },
     "LD X0\nOUT T0 K10\nLD T0\nOR M8013\nOUT Y0\nEND\n"},
};

// The file as `translate -C DIR PROG --encoding utf-8` writes it for an option set.
Result<AssembledFile> generate(const OptionSet& set, Workspace& workspace) {
  SettingsText settings;
  set.configure(settings);
  (void)workspace.startUp();
  if (Status saved = workspace.save(settings); !saved) return saved.error();
  AssembleOptions options;
  options.encoding = FileEncoding::Utf8;
  return workspace.translateAndAssemble(test::imageOf(set.program), options);
}

TEST(GeneratedFile, GoldenFilesPerOptionSet) {
  for (const OptionSet& set : kOptionSets) {
    test::ScratchDir dir;
    Workspace workspace(dir.path());
    Result<AssembledFile> file = generate(set, workspace);
    ASSERT_TRUE(file.ok()) << set.name << ": " << file.error().describe();
    EXPECT_EQ(test::checkGolden(std::string(set.name) + ".golden", file->text), "") << set.name;
  }
}

// Warnings SDCC gives on the runtime as it stands: `b` of SendByte is set in one of eight
// branches, `i` of main is first assigned inside the display refresh, `inx` of a board
// without inputs never looks at its argument, and a scan function that uses no loop leaves
// its `i` unused.
bool expectedWarning(const std::string& line) {
  static const std::regex kExpected(
      R"(warning 84: 'auto' variable '(b|i)' may be used before initialization|)"
      R"(warning 85: in function inx unreferenced function argument : 'i'|)"
      R"(warning 85: in function scanpart[0-9]+ unreferenced local variable : 'i')");
  return std::regex_search(line, kExpected);
}

TEST(GeneratedFile, CompilesAndLinksWithSdcc) {
  if (!test::haveProgram("sdcc")) GTEST_SKIP() << "sdcc is not installed";
  for (const OptionSet& set : kOptionSets) {
    test::ScratchDir dir;
    Workspace workspace(dir.path());
    Result<AssembledFile> file = generate(set, workspace);
    ASSERT_TRUE(file.ok()) << set.name << ": " << file.error().describe();
    // As the SDCC build takes it: the statements, found at the reported offset, cut into
    // functions, and the Keil forms rewritten.
    const Translation& translation = workspace.translation();
    Result<std::string> split = splitScanStatements(
        file->text, {file->statementsOffset, translation.statements, &translation.marks});
    ASSERT_TRUE(split.ok()) << set.name << ": " << split.error().describe();
    const test::CompileRun run = test::compileWithSdcc(adaptKeilSource(*split), dir.path());
    EXPECT_TRUE(run.ok) << set.name << "\n" << run.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "fx1n.ihx")) << set.name;
    std::istringstream output(run.output);
    for (std::string line; std::getline(output, line);) {
      if (line.find("warning") != std::string::npos || line.find("error") != std::string::npos) {
        EXPECT_TRUE(expectedWarning(line)) << set.name << ": " << line;
      }
    }
  }
}

// Texts no golden file can hold, since SDCC refuses the files they give.

// A pin file edited by hand may give two pins one point; start-up does not refuse it, and inx
// and the output restore switch the point on with its count while the input sampling uses 1.
TEST(GeneratedFile, PointOnTwoPinsKeepsItsCount) {
  SettingsText text;
  assign(assign(text, "P3.2", "X0"), "P3.3", "X0");
  assign(assign(text, "P1.0", "Y0"), "P1.1", "Y0");
  const Settings s = *validateAtStartUp(text);
  const std::string runtime = runtimeSection(s, 24);
  EXPECT_NE(runtime.find("\r\n#if 2\r\nif(i==0)if((xfir[0]&"), std::string::npos);
  EXPECT_NE(runtime.find("\r\n#if 1\r\nxfir[0]=xfir[0]<<1;"), std::string::npos);
  EXPECT_NE(mainSection(s, countAssignments(s.pins)).find("\r\n  #if  2\r\n   if(y[0]&0x01)Y0=0;"),
            std::string::npos);
}

// A driver pin text is cut by whole characters, so the file stays UTF-8 whatever was typed.
TEST(GeneratedFile, DriverPinTextsAreCutByCharacters) {
  Settings s;  // the text reads as pin 0, which validation accepts
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "甲.乙";
  s.sda = "3.7";
  EXPECT_NE(pinDeclarationSection(s).find("\r\n#define SCL P甲乙\r\n"), std::string::npos);
}

}  // namespace
}  // namespace ladder51
