// Whatever the program, the statements the translator writes never index past the tables
// the firmware declares.
#include <gtest/gtest.h>

#include <random>

#include "core/translator/fx_encoding.h"
#include "core/translator/instruction_list.h"
#include "core/translator/translator.h"
#include "tests/support/table_bounds.h"

namespace ladder51::test {
namespace {

// Random programs of the instructions the translator knows, with device numbers mostly near
// the firmware's limits and now and then any a word holds, so that most steps reach a range
// check; and now and then a raw word.
class ProgramGenerator {
 public:
  explicit ProgramGenerator(unsigned seed) : random_(seed) {}

  std::string program() {
    std::string text = "LD X0\n";
    for (int k = pick(1, 12); k > 0; --k) text += instruction() + "\n";
    return text + "END\n";
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  template <std::size_t N>
  std::string any(const char* const (&choices)[N]) {
    return choices[pick(0, N - 1)];
  }
  // Mostly 0..20, around the firmware's limits; now and then any number up to `last`.
  int number(int last) { return pick(0, 19) ? pick(0, 20) : pick(0, last); }
  // A device of one of `letters` that an instruction word or operand can name: X and Y in
  // octal, M0..M1535 and M8000..M8255 (in two-word operands M0..M255 only).
  std::string device(std::string_view letters, bool operand = false) {
    const char letter = letters[static_cast<std::size_t>(pick(0, int(letters.size()) - 1))];
    if (fx::isPointLetter(letter)) return letter + std::to_string(fx::octalDigits(number(255)));
    if (letter == 'M' && !operand && pick(0, 9) == 0) return "M" + std::to_string(pick(8000, 8255));
    const int last = letter == 'K'               ? 65535
                     : letter == 'D'             ? 8255  // all three banks
                     : letter == 'M' && !operand ? 1535
                                                 : 255;
    return letter + std::to_string(number(last));
  }

  std::string instruction() {
    static const char* const kContacts[] = {"LD", "LDI", "AND", "ANI", "OR", "ORI"};
    static const char* const kEdges[] = {"LDP", "LDF", "ANDP", "ANDF", "ORP", "ORF"};
    static const char* const kCoils[] = {"OUT", "SET", "RST"};
    static const char* const kAlone[] = {"ANB", "ORB", "MPS", "MRD", "MPP", "INV"};
    static const char* const kArithmetic[] = {"ADD", "SUB", "MUL", "DIV"};
    static const char* const kCompare[] = {"LD=", "LD>=", "AND>", "AND<", "OR<=", "OR="};
    static const char* const kZrst[] = {"Y", "M", "D", "C", "S", "T"};
    switch (pick(0, 13)) {
      case 0:
      case 1:
        return any(kContacts) + " " + device("XYTMCS");
      case 2:
        return any(kCoils) + " " + device(pick(0, 3) ? "YM" : "S");
      case 3:
        return any(kAlone);
      case 4:
        return "OUT " + device("TC") + " " + device("KD", true);
      case 5:
        return "RST " + device("TCD", true);
      case 6:
        return any(kEdges) + " " + device("XYMTC");
      case 7: {
        if (pick(0, 2) == 0) return "ALT " + device("YM", true);
        const std::string letter = any(kZrst);
        return "ZRST " + device(letter, true) + " " + device(pick(0, 5) ? letter : "YMDCST", true);
      }
      case 8:
        return (pick(0, 1) ? "INC " : "DEC ") + device("CD", true);
      case 9:
        return "MOV " + device("KCD", true) + " " + device("CD", true);
      case 10:
        return any(kArithmetic) + " " + device("KDCT", true) + " " + device("KDCT", true) + " " +
               device("DCT", true);
      case 11:
        return any(kCompare) + " " + device("KDCT", true) + " " + device("KDCT", true);
      case 12:
        if (pick(0, 1)) return pick(0, 2) ? "STL " + device("S") : "RET";
        [[fallthrough]];
      default:
        return (pick(0, 1) ? "PLS " : "PLF ") + device("YM");
    }
  }

  std::mt19937 random_;
};

Translation statements(std::string text, int edgeTemps = 0, int zones = 0) {
  Translation t;
  t.statements = std::move(text);
  t.edgeTemps = edgeTemps;
  t.zones = zones;
  return t;
}

TEST(TableBounds, CheckerFindsIndexesPastTheTables) {
  EXPECT_EQ(outOfBounds(statements("tc[15]=0;d[16]=1;ldpm(79);for(i=0;i<=79;i++)m[i/8]")),
            std::vector<std::string>{});
  EXPECT_EQ(
      outOfBounds(statements("tc[16]=0;d[20]=1;inx(36);zrstd(0,16);for(i=0;i<=11;i++){c[i/8]")),
      (std::vector<std::string>{"tc[16]", "d[20]", "inx(36)", "for(i=0;i<=11;i++){c[",
                                "zrstd(0,16)"}));
  // The tables a translation sizes itself: nine edge results take two bytes.
  EXPECT_EQ(outOfBounds(statements("edge[1]=0;mcz[0]=1;edge[2]=0;mcz[1]=0;edgm[0]=0;", 9, 1)),
            (std::vector<std::string>{"edge[2]", "mcz[1]", "edgm[0]"}));
  // Tables grown to the devices a program uses: M100 and T40 (six bytes of timer bits).
  Translation grown = statements("m[12]=0;m[13]=0;t[5]=0;t[6]=0;tc[40]=0;tc[41]=0;s[0]=0;");
  grown.devices.relay = 100;
  grown.devices.timer = 40;
  EXPECT_EQ(outOfBounds(grown), (std::vector<std::string>{"m[13]", "t[6]", "tc[41]", "s[0]"}));
}

TEST(TableBounds, RandomProgramsNeverIndexPastTheTables) {
  ProgramGenerator generator(51);
  int completed = 0;
  for (int k = 0; k < 4000; ++k) {
    const std::string text = generator.program();
    const Result<std::vector<std::uint8_t>> file = assembleInstructionList(text);
    ASSERT_TRUE(file.ok()) << text << file.error().describe();
    const Translation translation =
        translate(*ProgramImage::fromBytes(*file), {.eeprom = static_cast<EepromChoice>(k % 3)});
    if (translation.completed()) ++completed;
    // Refused and stopped runs keep what they wrote so far; it must be in bounds as well.
    const std::vector<std::string> bad = outOfBounds(translation);
    ASSERT_TRUE(bad.empty()) << text << ": " << bad.front();
  }
  // The generator must reach completions, or the property says little.
  EXPECT_GT(completed, 400);
}

}  // namespace
}  // namespace ladder51::test
