// Each command run as a user runs it, one case per path through it: what it prints, what it
// writes, and its exit status. What the core computes is tested in tests/core.
#include <gtest/gtest.h>

#include "core/text/encoding.h"
#include "core/translator/instruction_list.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

// A work directory holding the motor program, its pins set with the settings command.
struct Board {
  Board() {
    writeFile(dir / "motor.il", std::string(kMotorProgram));
    EXPECT_EQ(runCli({"asm", (dir / "motor.il").string()}).exitCode, 0);
    EXPECT_EQ(settings({"--pin", "P3.2=X0", "--pin", "P3.3=X1", "--pin", "P1.0=Y0"}).exitCode, 0);
  }
  CliRun settings(std::vector<std::string> changes) const {
    changes.insert(changes.begin(), {"settings", "-C", dir.path().string()});
    return runCli(changes);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  // Runs a command on this work directory: `COMMAND INPUT -C DIR ARGS...`.
  CliRun run(std::vector<std::string> args) const {
    args.insert(args.begin() + 2, {"-C", dir.path().string()});
    return runCli(args);
  }
  ScratchDir dir;
};

bool toolsMissing() {
  return !haveProgram("sdcc") || !haveProgram("s51");
}

TEST(AsmCommand, WritesTheProgramListsItBackAndRefusesABadLine) {
  Board board;
  const std::vector<std::uint8_t> expected = pmwOf(kMotorProgram);
  const std::string bytes(expected.begin(), expected.end());
  EXPECT_EQ(readFile(board.path("motor.pmw")), bytes);
  const CliRun listed = runCli({"disasm", board.path("motor.pmw")});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.out, disassemble(expected));

  writeFile(board.dir / "bad.il", "LD X0\nOUT Y8\nEND\n");
  const CliRun bad = runCli({"asm", board.path("bad.il"), "-o", board.path("motor.pmw")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("ladder51: error: Y8 is not a valid point"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("bad.il line 2)"), std::string::npos) << bad.err;
  EXPECT_EQ(readFile(board.path("motor.pmw")), bytes);
}

TEST(SettingsCommand, PrintsSavesAndRefuses) {
  Board board;
  CliRun run =
      board.settings({"--xtal", "11.0592",   "--eeprom",  "24c16", "--scl",    "3.6",    "--sda",
                      "3.7",    "--display", "on",        "--din", "1.5",      "--load", "1.6",
                      "--clk",  "1.7",       "--proteus", "on",    "--filter", "5"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile(board.dir / "7219.dat"), "1,\"1.5\",\"1.6\",\"1.7\"\r\n");
  EXPECT_EQ(readFile(board.dir / "IIC.dat"), "#FALSE#,\"3.6\",\"3.7\",1,#TRUE#,\"11.0592\"\r\n");
  EXPECT_NE(run.out.find("pin P3.2=X0\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("xtal=11.0592\nfilter=5\neeprom=24c16\n"), std::string::npos) << run.out;

  const std::string io = readFile(board.dir / "io.dat");
  run = board.settings({"--pin", "P3.3=X0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ladder51: error: X点定义重复！！"), std::string::npos) << run.err;
  EXPECT_EQ(board.settings({"--pin", "P9.9=X1"}).exitCode, 1);
  EXPECT_EQ(readFile(board.dir / "io.dat"), io);

  // The chip, by name in any case, in a file of its own; an unknown one is refused by name.
  run = board.settings({"--chip", "STC89C58"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.ends_with("proteus=on\nchip=stc89c58\ntime-base=fx\n")) << run.out;
  EXPECT_EQ(readFile(board.dir / "ladder51.ini"), "chip=stc89c58\ntime-base=fx\n");
  EXPECT_EQ(readFile(board.dir / "io.dat"), io);
  run = board.settings({"--chip", "at89c51"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "ladder51: error: unknown chip \"at89c51\": choose at89s52, stc89c52, stc89c54, "
            "stc89c58 or stc89c516\n");
  EXPECT_EQ(readFile(board.dir / "ladder51.ini"), "chip=stc89c58\ntime-base=fx\n");

  // The time base, in the same file; classic keeps the original runtime's.
  run = board.settings({"--time-base", "CLASSIC"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile(board.dir / "ladder51.ini"), "chip=stc89c58\ntime-base=classic\n");
  EXPECT_EQ(board.settings({"--time-base", "plc"}).exitCode, 1);
}

TEST(TranslateCommand, WritesFx1nAndReportsOnStandardError) {
  Board board;
  std::filesystem::remove(board.dir / "io.dat");  // no pins: Y0 works as an internal relay
  CliRun run = board.run({"translate", board.path("motor.pmw")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "wrote " + board.path("fx1n.c") + "\n");
  EXPECT_NE(run.err.find("ladder51: warning: io.dat is missing"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ladder51: warning: Y0 is driven by the program but carried by no pin"),
            std::string::npos)
      << run.err;
  Result<std::string> text = decodeGbk(readFile(board.dir / "fx1n.c"));
  ASSERT_TRUE(text.ok());
  EXPECT_NE(text->find("\r\n#define Y0 dly\r\n"), std::string::npos);

  // A refusal is reported once, with its step, and fx1n.c stays as it was.
  writeProgram(board.dir / "far.pmw", "LD X0\n.word 0xC524\nEND\n");
  run = board.run({"translate", board.path("far.pmw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(
      run.err.find("ladder51: error: Y超出范围 只能在Y0-Y43之间！！ (step 1 (byte 350: C524))"),
      std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("error"), run.err.rfind("error")) << run.err;
  EXPECT_TRUE(*decodeGbk(readFile(board.dir / "fx1n.c")) == *text);
}

TEST(LadderCommand, PrintsTheStatementsWithTheEepromChoiceOfTheWorkDirectory) {
  Board board;
  writeProgram(board.dir / "d20.pmw", "LD X0\nOUT Y0\nLD X0\nMOV K5 D20\nLD M8005\nEND\n");
  CliRun run = board.run({"ladder", board.path("d20.pmw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("D20 is kept in the external EEPROM"), std::string::npos) << run.err;

  ASSERT_EQ(board.settings({"--eeprom", "24c32", "--scl", "3.6", "--sda", "3.7"}).exitCode, 0);
  // M8005 is a special relay the firmware does not keep: refused, unless asked to go on.
  run = board.run({"ladder", board.path("d20.pmw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "ladder51: error: the program uses 1 step(s) that ladder51 does not translate; the "
            "firmware would not do what the program says:\n  step 8 (byte 364: 2F05) LD M8005\n"
            "ladder51: note: --skip-unsupported translates the program without them\n");
  run = board.run({"ladder", board.path("d20.pmw"), "--skip-unsupported"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "\r\nif((!inx(0))){y[0]|=(0x01<<0);Y0=0;}\r\nelse\r\n{y[0]&=(0xff-(0x01<<0));Y0=1;}"
            "\r\n\r\nif((!inx(0))){WrData(20*2,5%256);WrData(20*2+1,5/256);}");
  EXPECT_EQ(run.err,
            "ladder51: warning: step 8 (byte 364: 2F05) LD M8005: special relay M8005 not "
            "supported: contact left out\n");
}

TEST(BuildCommand, ListsTheCommandsWithoutRunningAnything) {
  Board board;
  const CliRun run =
      board.run({"build", board.path("motor.pmw"), "--toolchain", "keil", "--print-commands"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("c51.exe"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("ohx51.exe"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(board.dir / "fx1n.c"));
}

TEST(BuildAndSimCommands, BuildShowsEachStageAndSimRunsTheFirmware) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  Board board;
  ASSERT_EQ(board.settings({"--chip", "stc89c54"}).exitCode, 0);
  writeProgram(board.dir / "motor.pmw", "LD X0\nOR Y0\nANI X1\nOUT Y0\nLD X0\nMOV K7 D3\nEND\n");
  const CliRun built = board.run({"build", board.path("motor.pmw")});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_EQ(built.err, "");  // a clean program builds without warnings
  std::size_t at = 0;
  for (const std::string& expected : std::vector<std::string>{
           "CHANGE    sdcc", "LINK START UP", "FX1N.HEX  DONE\n", "internal RAM ",
           " bytes left for the stack; code ", " of 16384 bytes\n", board.path("fx1n.hex")}) {
    at = built.out.find(expected, at);
    ASSERT_NE(at, std::string::npos) << expected << "\n" << built.out;
  }

  writeFile(board.dir / "stimulus.txt", "150ms X0 on\n200ms X0 off\n300ms X1 on\n");
  const CliRun run =
      board.run({"sim", board.path("motor.pmw"), "--stimulus", board.path("stimulus.txt"),
                 "--until", "400ms", "--show", "D3", "--vcd", board.path("run.vcd")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("CHANGE"), std::string::npos) << "the build's stages are not shown";
  EXPECT_NE(run.out.find("Y0 on at 15"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Y0 off at 30"), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with("at 400 ms: D3 = 7\n")) << run.out;
  EXPECT_NE(readFile(board.dir / "run.vcd").find("$var wire 1 # Y0 $end"), std::string::npos);

  // The hex file runs again without a build, with the pins of its folder's settings.
  const CliRun again = runCli({"sim", board.path("fx1n.hex"), "--stimulus",
                               board.path("stimulus.txt"), "--until", "400ms"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("Y0 on at 15"), std::string::npos) << again.out;

  // Inputs typed while the chip runs in real time; what was typed, recorded, replays to the
  // same output changes.
  const CliRun typed = runCli(
      {"sim", board.path("fx1n.hex"), "--interactive", "--record", board.path("typed.stim")},
      "seen() { for k in $(seq 200); do grep -q \"$1\" \"$2\" && break; sleep 0.05; done; }; "
      "seen 'real time' \"$err\"; echo X0 on; seen 'Y0 on' \"$out\"; echo x0 off; "
      "sleep 0.2; echo X1 on X7 on; seen 'Y0 off' \"$out\"; echo quit");
  ASSERT_EQ(typed.exitCode, 0) << typed.err;
  EXPECT_NE(typed.out.find("Y0 on at "), std::string::npos) << typed.out << typed.err;
  EXPECT_NE(typed.out.find("Y0 off at "), std::string::npos) << typed.out;
  EXPECT_NE(typed.err.find("warning: no pin carries this input: X7"), std::string::npos)
      << typed.err;
  const CliRun replayed =
      runCli({"sim", board.path("fx1n.hex"), "--stimulus", board.path("typed.stim")});
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, typed.out);

  // fx1n.c built as it stands is checked against the chip too, or against --flash.
  const CliRun source = board.run({"build", board.path("fx1n.c")});
  ASSERT_EQ(source.exitCode, 0) << source.err;
  EXPECT_NE(source.out.find(" of 16384 bytes\n"), std::string::npos) << source.out;
  const CliRun tight = board.run({"build", board.path("fx1n.c"), "--flash", "256"});
  EXPECT_EQ(tight.exitCode, 1);
  EXPECT_NE(tight.err.find("bytes of code and the chip has 256 bytes of flash"), std::string::npos)
      << tight.err;
}

// An endless device named as an input: every command refuses it instead of reading on.
TEST(Commands, RefuseEndlessInput) {
  ScratchDir dir;
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"translate", "/dev/zero", "-C", dir.path().string()},
       "ladder51: error: program file too long: more than 20008 bytes"},
      {{"ladder", "/dev/zero"}, "ladder51: error: program file too long: more than 20008 bytes"},
      {{"disasm", "/dev/zero"}, "ladder51: error: the program file is larger than 16777216 bytes"},
      {{"asm", "/dev/zero", "-o", (dir / "x.pmw").string()},
       "ladder51: error: the file is larger than 67108864 bytes"},
  };
  for (const auto& c : cases) {
    const CliRun run = runCli(c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args[0];
    EXPECT_NE(run.err.find(c.error), std::string::npos) << c.args[0] << ": " << run.err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace ladder51::test
