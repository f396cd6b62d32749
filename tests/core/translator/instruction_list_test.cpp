#include "core/translator/instruction_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/translator/program_image.h"

namespace ladder51 {
namespace {

using Words = std::vector<std::uint16_t>;

struct EncodingCase {
  const char* line;  // also the text the listing gives for `words`
  Words words;
};

std::ostream& operator<<(std::ostream& out, const EncodingCase& c) {
  return out << c.line;
}

// Every mnemonic family, with the device and number boundaries of each.
const EncodingCase kEncodings[] = {
    // Contacts: high byte = operation (2 LD .. 7 ORI) and class nibble, low byte = number.
    {"LD X0", {0x2400}},
    {"LD X43", {0x2423}},
    {"LD X44", {0x2424}},
    {"LD X377", {0x24FF}},
    {"LDI Y17", {0x350F}},
    {"AND M255", {0x48FF}},
    {"ANI M256", {0x5900}},
    {"LD M1535", {0x2DFF}},
    {"OR T5", {0x6605}},
    {"ORI C10", {0x7E0A}},
    {"LD C255", {0x2EFF}},
    {"LD M8000", {0x2F00}},
    {"AND M8013", {0x4F0D}},
    {"ORI M8255", {0x7FFF}},
    // Block, stack and single-word instructions.
    {"ANB", {0xFFF8}},
    {"ORB", {0xFFF9}},
    {"MPS", {0xFFFA}},
    {"MRD", {0xFFFB}},
    {"MPP", {0xFFFC}},
    {"INV", {0xFFFD}},
    {"NOP", {0xFFFF}},
    {"END", {0x000F}},
    // Coils.
    {"OUT Y0", {0xC500}},
    {"OUT Y43", {0xC523}},
    {"OUT M79", {0xC84F}},
    {"OUT M300", {0xC92C}},
    {"OUT M8002", {0xCF02}},
    {"SET Y10", {0xD508}},
    {"SET M1535", {0xDDFF}},
    {"RST Y1", {0xE501}},
    {"RST M256", {0xE900}},
    // Pulses: instruction word, then the operand word.
    {"PLS M1", {0x0008, 0x8801}},
    {"PLF Y0", {0x0009, 0x8500}},
    {"PLS M256", {0x0008, 0x8900}},
    {"PLF Y377", {0x0009, 0x85FF}},
    // Timers and counters: K set values as two bytes, D set values as offsets 2r.
    {"OUT T5 K100", {0x0605, 0x8064, 0x8000}},
    {"OUT T0 K65535", {0x0600, 0x80FF, 0x80FF}},
    {"OUT T255 K0", {0x06FF, 0x8000, 0x8000}},
    {"OUT T12 D20", {0x060C, 0x8628, 0x8600}},
    {"OUT C3 K5", {0x0E03, 0x8005, 0x8000}},
    {"OUT C0 D7", {0x0E00, 0x860E, 0x8600}},
    {"OUT C10 D200", {0x0E0A, 0x8690, 0x8601}},
    {"RST T0", {0x000C, 0x8600}},
    {"RST C10", {0x000C, 0x8E0A}},
    {"RST D0", {0x000D, 0x8600, 0x8600}},
    {"RST D200", {0x000D, 0x8690, 0x8601}},
    // Master control.
    {"MC N0 M100", {0x000A, 0x8000, 0x8864}},
    {"MC N7 Y5", {0x000A, 0x8007, 0x8505}},
    {"MC N1 M300", {0x000A, 0x8001, 0x892C}},
    {"MCR N0", {0x000B, 0x8000}},
    // Edge contacts.
    {"LDP X10", {0x01CA, 0x8408}},
    {"LDF T25", {0x01CB, 0x8619}},
    {"ANDP C10", {0x01CC, 0x8E0A}},
    {"ANDF M5", {0x01CD, 0x8805}},
    {"ORP M6", {0x01CE, 0x8806}},
    {"ORF Y3", {0x01CF, 0x8503}},
    {"LDP M1000", {0x01CA, 0x8BE8}},
    // Applied instructions: bit operands (n,84)(class,80), word operands two words each.
    {"ALT Y10", {0x0094, 0x8408, 0x8005}},
    {"ALT M255", {0x0094, 0x84FF, 0x8008}},
    {"ZRST M3 M5", {0x0060, 0x8403, 0x8008, 0x8405, 0x8008}},
    {"ZRST Y6 Y11", {0x0060, 0x8406, 0x8005, 0x8409, 0x8005}},
    {"ZRST D0 D15", {0x0060, 0x8600, 0x8600, 0x861E, 0x8600}},
    {"ZRST C0 C10", {0x0060, 0x8600, 0x8400, 0x8614, 0x8400}},
    {"INC D16", {0x0040, 0x8620, 0x8600}},
    {"DEC C5", {0x0042, 0x860A, 0x8400}},
    {"MOV K1000 D5", {0x0028, 0x80E8, 0x8003, 0x860A, 0x8600}},
    {"MOV D32767 C0", {0x0028, 0x86FE, 0x86FF, 0x8600, 0x8400}},
    {"ADD D0 K5 D1", {0x0038, 0x8600, 0x8600, 0x8005, 0x8000, 0x8602, 0x8600}},
    {"SUB T3 C2 D4", {0x003A, 0x8606, 0x8200, 0x8604, 0x8400, 0x8608, 0x8600}},
    {"MUL K65535 K1 D2", {0x003C, 0x80FF, 0x80FF, 0x8001, 0x8000, 0x8604, 0x8600}},
    {"DIV D100 K3 T101", {0x003E, 0x86C8, 0x8600, 0x8003, 0x8000, 0x86CA, 0x8200}},
    // Combinations the translator does not support still assemble.
    {"MOV K1 K2", {0x0028, 0x8001, 0x8000, 0x8002, 0x8000}},
    {"INC K5", {0x0040, 0x8005, 0x8000}},
    {"ZRST Y0 M5", {0x0060, 0x8400, 0x8005, 0x8405, 0x8008}},
    // Comparison contacts: (code, 01), then two word operands.
    {"LD= D0 K10", {0x01D0, 0x8600, 0x8600, 0x800A, 0x8000}},
    {"LD>= C1 K2", {0x01DC, 0x8602, 0x8400, 0x8002, 0x8000}},
    {"LD> C2 T3", {0x01D2, 0x8604, 0x8400, 0x8606, 0x8200}},
    {"LD< K7 D1", {0x01D4, 0x8007, 0x8000, 0x8602, 0x8600}},
    {"LD<= D20 K5", {0x01DA, 0x8628, 0x8600, 0x8005, 0x8000}},
    {"AND= D1 D2", {0x01E0, 0x8602, 0x8600, 0x8604, 0x8600}},
    {"AND>= D5 K100", {0x01EC, 0x860A, 0x8600, 0x8064, 0x8000}},
    {"AND> T0 K1", {0x01E2, 0x8600, 0x8200, 0x8001, 0x8000}},
    {"AND< K0 C0", {0x01E4, 0x8000, 0x8000, 0x8600, 0x8400}},
    {"AND<= D3 K300", {0x01EA, 0x8606, 0x8600, 0x802C, 0x8001}},
    {"OR= K1 K1", {0x01F0, 0x8001, 0x8000, 0x8001, 0x8000}},
    {"OR>= D9 K9", {0x01FC, 0x8612, 0x8600, 0x8009, 0x8000}},
    {"OR> D1 D0", {0x01F2, 0x8602, 0x8600, 0x8600, 0x8600}},
    {"OR< K7 D1", {0x01F4, 0x8007, 0x8000, 0x8602, 0x8600}},
    {"OR<= C3 D3", {0x01FA, 0x8606, 0x8400, 0x8606, 0x8600}},
};

class InstructionEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(InstructionEncoding, AssemblesToItsWords) {
  Result<Words> words = assembleSteps(GetParam().line);
  ASSERT_TRUE(words.ok()) << words.error().describe();
  EXPECT_EQ(*words, GetParam().words);
}

TEST_P(InstructionEncoding, WordsAreDescribedAsTheSameLine) {
  EXPECT_EQ(describeInstruction(GetParam().words), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, InstructionEncoding, testing::ValuesIn(kEncodings));

TEST(InstructionList, AcceptsLowerCaseCommentsBlankLinesAndCrLf) {
  const char* text =
      "; a comment line\r\n"
      "\r\n"
      "  ld\tx10   ; start\r\n"
      "out t5 k100\r\n"
      "and<= d3 k300\r\n"
      "   \r\n"
      "end";
  Result<Words> words = assembleSteps(text);
  ASSERT_TRUE(words.ok()) << words.error().describe();
  EXPECT_EQ(*words, (Words{0x2408, 0x0605, 0x8064, 0x8000, 0x01EA, 0x8606, 0x8600, 0x802C, 0x8001,
                           0x000F}));
}

TEST(InstructionList, DirectivesWriteRawWords) {
  struct Case {
    const char* line;
    Words words;
  };
  const Case cases[] = {
      {".word 0x1234", {0x1234}},
      {".WORD 0xabcd 0x0 0xFFFF", {0xABCD, 0x0000, 0xFFFF}},
      {".nop 3", {0xFFFF, 0xFFFF, 0xFFFF}},
      {"MOV K-1 D0", {0x0028, 0x80FF, 0x80FF, 0x8600, 0x8600}},  // K two's complement
      {"MOV K-32768 D0", {0x0028, 0x8000, 0x8080, 0x8600, 0x8600}},
      {"LD X010", {0x2408}},
  };
  for (const Case& c : cases) {
    Result<Words> words = assembleSteps(c.line);
    ASSERT_TRUE(words.ok()) << c.line << ": " << words.error().describe();
    EXPECT_EQ(*words, c.words) << c.line;
  }
}

struct ErrorCase {
  const char* text;
  const char* where;
  const char* reason;  // a part of the message
};

TEST(InstructionList, RejectsTheFirstBadLineWithItsNumberAndReason) {
  const ErrorCase cases[] = {
      {"LD X8", "line 1", "octal"},
      {"LD X0\nOUT Y19", "line 2", "octal"},
      {"; comment\n\nLD X0\r\nFOO X0\r\nBAR", "line 4", "unknown instruction 'FOO'"},
      {"LD<> D0 K1", "line 1", "unknown instruction"},
      {"LD Q5", "line 1", "unknown device letter 'Q'"},
      {"LD X", "line 1", "not an operand"},
      {"LD 5", "line 1", "not an operand"},
      {"LD X1A", "line 1", "not an operand"},
      {"LD D5", "line 1", "LD cannot take D5"},
      {"LD X400", "line 1", "X400 is out of range"},
      {"OUT Y400", "line 1", "Y400 is out of range"},
      {"LD M1536", "line 1", "M1536 is out of range"},
      {"LD M7999", "line 1", "out of range"},
      {"SET M8256", "line 1", "out of range"},
      {"LD T256", "line 1", "T256 is out of range"},
      {"RST C256", "line 1", "C256 is out of range"},
      {"OUT T5", "line 1", "needs a set value"},
      {"OUT T5 Y0", "line 1", "cannot take Y0"},
      {"OUT T5 K1 K2", "line 1", "takes 2 operands, got 3"},
      {"OUT Y0 K5", "line 1", "takes 1 operand, got 2"},
      {"OUT X0", "line 1", "OUT cannot take X0"},
      {"SET T0", "line 1", "SET cannot take T0"},
      {"RST K5", "line 1", "RST cannot take K5"},
      {"PLS X0", "line 1", "PLS cannot take X0"},
      {"LDP D0", "line 1", "LDP cannot take D0"},
      {"ANB X0", "line 1", "takes no operand"},
      {"LD", "line 1", "takes 1 operand, got 0"},
      {"ADD D0 K5", "line 1", "takes 3 operands, got 2"},
      {"MOV X0 D0", "line 1", "MOV cannot take X0"},
      {"MOV K65536 D0", "line 1", "K65536 is out of range"},
      {"MOV K-32769 D0", "line 1", "out of range"},
      {"MOV K1 D32768", "line 1", "D32768 is out of range"},
      {"MOV K99999999999999 D0", "line 1", "out of range"},
      {"ALT M256", "line 1", "M256 cannot be an operand of ALT"},
      {"ALT Y400", "line 1", "out of range"},
      {"MC M0 M100", "line 1", "MC cannot take M0"},
      {"MC N0 D0", "line 1", "MC cannot take D0"},
      {"MCR N256", "line 1", "N256 is out of range"},
      {".word 0x12345", "line 1", "hexadecimal"},
      {".word 1234", "line 1", "hexadecimal"},
      {".word", "line 1", "at least one"},
      {".nop 0", "line 1", "count from 1"},
      {".nop 65536", "line 1", "count from 1"},
      {".nop", "line 1", "one count"},
  };
  for (const ErrorCase& c : cases) {
    Result<Words> words = assembleSteps(c.text);
    ASSERT_FALSE(words.ok()) << c.text;
    EXPECT_EQ(words.error().where, c.where) << c.text;
    EXPECT_NE(words.error().message.find(c.reason), std::string::npos)
        << c.text << " gave: " << words.error().message;
    EXPECT_FALSE(assembleInstructionList(c.text).ok()) << c.text;
  }
}

TEST(InstructionList, RefusesTextsThatWouldAskForGigabytes) {
  std::string text;
  for (int k = 0; k < 16; ++k) text += ".nop 65535\n";
  ASSERT_TRUE(assembleSteps(text).ok());  // 1048560 words: within the limit
  text += ".nop 16\n";                    // exactly 1048576
  ASSERT_TRUE(assembleSteps(text).ok());
  text += "END\n";
  for (int k = 0; k < 100000; ++k) text += ".nop 65535\n";  // would be 13 GB of steps
  const Result<Words> words = assembleSteps(text);
  ASSERT_FALSE(words.ok());
  EXPECT_EQ(words.error().where, "line 18");
  EXPECT_EQ(words.error().message, "the program is too long: more than 1048576 words of steps");
}

std::vector<std::uint8_t> programFile(const Words& words, std::size_t extraBytes = 0) {
  std::vector<std::uint8_t> file(kHeaderBytes, 0);
  for (std::uint16_t word : words) {
    file.push_back(static_cast<std::uint8_t>(word & 0xFF));
    file.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  file.resize(file.size() + extraBytes, 0xAB);
  return file;
}

TEST(InstructionList, FileHasZeroHeaderLittleEndianWordsAndBlockPadding) {
  Result<std::vector<std::uint8_t>> file = assembleInstructionList("LD X0\nOUT T5 K100\nEND\n");
  ASSERT_TRUE(file.ok());
  std::vector<std::uint8_t> expected = programFile({0x2400, 0x0605, 0x8064, 0x8000, 0x000F});
  expected.resize(368, 0xFF);  // 358 bytes padded up to the next 16-byte block
  EXPECT_EQ(*file, expected);

  Result<std::vector<std::uint8_t>> exact = assembleInstructionList("LD X0\nOUT Y0");
  ASSERT_TRUE(exact.ok());
  EXPECT_EQ(*exact, programFile({0x2400, 0xC500}));  // 352 bytes: no padding needed

  Result<std::vector<std::uint8_t>> empty = assembleInstructionList("; nothing\n");
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(*empty, programFile({0xFFFF, 0xFFFF}));
}

// The padding exists for the program reader: whatever the length, the last step is read.
TEST(InstructionList, ReaderKeepsEveryAssembledStep) {
  std::string text;
  for (int count = 1; count <= 24; ++count) {
    text += "LD X" + std::to_string(count % 8) + "\n";
    Result<std::vector<std::uint8_t>> file = assembleInstructionList(text + "END");
    ASSERT_TRUE(file.ok());
    Result<ProgramImage> image = ProgramImage::fromBytes(*file);
    ASSERT_TRUE(image.ok());
    const int endAt = kFirstStep + 2 * count;
    EXPECT_EQ(image->at(endAt), 0x0F) << count;
    EXPECT_EQ(image->at(endAt + 1), 0x00) << count;
  }
}

TEST(Disassembler, ListsEachInstructionWithAddressAndWords) {
  const std::string listing =
      disassemble(programFile({0x2400, 0x0605, 0x8064, 0x8000, 0x0094, 0x8408, 0x8005, 0x000F}));
  EXPECT_EQ(listing,
            "; 364 bytes, 8 words of steps from byte 348\n"
            "LD X0                ; 348: 2400\n"
            "OUT T5 K100          ; 350: 0605 8064 8000\n"
            "ALT Y10              ; 356: 0094 8408 8005\n"
            "END                  ; 362: 000F\n");
}

TEST(Disassembler, ListsWordsItCannotReadAsRawWords) {
  const std::string listing = disassemble(programFile({
      0x1234,  // no instruction
      0x0605,
      0x8603,
      0x8600,  // OUT T5 with an odd register offset
      0x0028,
      0x8001,
      0x8000,  // MOV cut short by the next instruction
      0x000F,
  }));
  EXPECT_EQ(listing,
            "; 364 bytes, 8 words of steps from byte 348\n"
            ".word 0x1234         ; 348: 1234\n"
            ".word 0x0605         ; 350: 0605\n"
            ".word 0x8603         ; 352: 8603\n"
            ".word 0x8600         ; 354: 8600\n"
            ".word 0x0028         ; 356: 0028\n"
            ".word 0x8001         ; 358: 8001\n"
            ".word 0x8000         ; 360: 8000\n"
            "END                  ; 362: 000F\n");
}

TEST(Disassembler, CollapsesATrailingRunOfNops) {
  Words words{0xFFFF, 0x000F};
  words.resize(words.size() + 9, 0xFFFF);
  EXPECT_EQ(disassemble(programFile(words)),
            "; 370 bytes, 11 words of steps from byte 348\n"
            "; note: the translator reads whole 16-byte blocks: bytes from 368 on are not read\n"
            "NOP                  ; 348: FFFF\n"
            "END                  ; 350: 000F\n"
            ".nop 9               ; 352: 9 x FFFF\n");

  words.resize(3);  // a single trailing NOP is listed as it is
  const std::string listing = disassemble(programFile(words));
  EXPECT_EQ(listing.find(".nop"), std::string::npos);
  EXPECT_NE(listing.find("NOP                  ; 352: FFFF\n"), std::string::npos);
}

TEST(Disassembler, NotesOddByteShortFileAndUnreadParts) {
  const std::string odd = disassemble(programFile({0x000F}, 1));
  EXPECT_NE(odd.find("; 350: odd trailing byte 0xAB, not part of a step\n"), std::string::npos);
  EXPECT_EQ(odd.find("; note"), std::string::npos);  // 351 bytes: the last block is read whole

  // 356 and 360 bytes round down to 352 (halves to even), 376 rounds up to 384.
  const std::string unread = "; note: the translator reads whole 16-byte blocks: bytes from 352";
  EXPECT_NE(disassemble(programFile({1, 2, 3, 4})).find(unread), std::string::npos);
  EXPECT_NE(disassemble(programFile({1, 2, 3, 4, 5, 6})).find(unread), std::string::npos);
  EXPECT_EQ(disassemble(programFile(Words(14, 1))).find("; note"), std::string::npos);
  EXPECT_NE(disassemble(programFile(Words(9831, 1))).find("too long for the translator"),
            std::string::npos);

  const std::string shortFile = disassemble(std::vector<std::uint8_t>(100, 0));
  EXPECT_EQ(shortFile, "; 100 bytes, shorter than the 348-byte header: no steps\n");

  // The walk of the translator ends at byte 5000: the listing says where.
  Words longProgram((kLastStep - kFirstStep) / 2 + 2, 0x2400);
  std::istringstream listing(disassemble(programFile(longProgram)));
  std::vector<std::string> lines;
  for (std::string line; std::getline(listing, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), longProgram.size() + 2);
  EXPECT_EQ(lines[lines.size() - 3], "LD X0                ; 5000: 2400");
  EXPECT_EQ(lines[lines.size() - 2].rfind("; the translator stops at byte 5000", 0), 0u);
  EXPECT_EQ(lines[lines.size() - 1], "LD X0                ; 5002: 2400");
}

TEST(Disassembler, DescribeNeedsAllWordsOfTheInstructionAndIgnoresMore) {
  EXPECT_EQ(describeInstruction(Words{}), "");
  EXPECT_EQ(describeInstruction(Words{0x0605, 0x8064}), "");
  EXPECT_EQ(describeInstruction(Words{0x1234}), "");
  EXPECT_EQ(describeInstruction(Words{0x0060, 0x8400, 0x8005, 0x8405, 0x8008, 0x8000}),
            "ZRST Y0 M5");
  EXPECT_EQ(describeInstruction(Words{0x000D, 0x8602, 0x8400}), "");  // RST of a counter value
  EXPECT_EQ(describeInstruction(Words{0x000C, 0x8805}), "");          // RST of M as an operand
  EXPECT_EQ(describeInstruction(Words{0x2700}), "");                  // contact of no class
  EXPECT_EQ(describeInstruction(Words{0xC400}), "");                  // OUT X
}

// assemble(disassemble(file)) gives back every step of the file.
void expectRoundTrip(const std::vector<std::uint8_t>& file) {
  const std::string listing = disassemble(file);
  Result<std::vector<std::uint8_t>> again = assembleInstructionList(listing);
  ASSERT_TRUE(again.ok()) << again.error().describe() << "\n" << listing;
  const std::size_t stepBytes =
      file.size() > kHeaderBytes ? (file.size() - kHeaderBytes) / 2 * 2 : 0;
  ASSERT_GE(again->size(), kHeaderBytes + stepBytes);
  EXPECT_TRUE(std::equal(file.begin() + kHeaderBytes, file.begin() + kHeaderBytes + stepBytes,
                         again->begin() + kHeaderBytes))
      << listing;
  for (std::size_t k = kHeaderBytes + stepBytes; k < again->size(); ++k) {
    EXPECT_EQ((*again)[k], 0xFF) << "padding at " << k;
  }
}

TEST(RoundTrip, EveryTableInstructionInOneProgram) {
  std::string text;
  for (const EncodingCase& c : kEncodings) text += std::string(c.line) + "\n";
  Result<std::vector<std::uint8_t>> file = assembleInstructionList(text);
  ASSERT_TRUE(file.ok());
  const std::string listing = disassemble(*file);
  EXPECT_EQ(listing.find(".word"), std::string::npos) << listing;
  Result<std::vector<std::uint8_t>> again = assembleInstructionList(listing);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(*again, *file);
}

TEST(RoundTrip, UnknownWordsNopsAndTrailingByte) {
  Words words{0x2400, 0x1234, 0xFFFF, 0x0028, 0x8001, 0xC500, 0x8888, 0x000F};
  words.resize(words.size() + 40, 0xFFFF);
  expectRoundTrip(programFile(words));
  expectRoundTrip(programFile(words, 1));
  expectRoundTrip(programFile({}, 1));
  expectRoundTrip(std::vector<std::uint8_t>(10, 0x24));
  // A tail longer than one ".nop" line can hold.
  expectRoundTrip(programFile(Words(70000, 0xFFFF)));
}

TEST(RoundTrip, ShippedExamples) {
  const std::filesystem::path folder = std::filesystem::path(LADDER51_SOURCE_DIR) / "examples";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".il") continue;
    ++count;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    Result<std::vector<std::uint8_t>> file = assembleInstructionList(text.str());
    ASSERT_TRUE(file.ok()) << entry.path() << ": " << file.error().describe();
    Result<std::vector<std::uint8_t>> again = assembleInstructionList(disassemble(*file));
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(*again, *file) << entry.path();
  }
  EXPECT_GE(count, 4);
}

// Random files, some of plain random bytes and some built from plausible words so that most
// lines decode as instructions and the operand checks are exercised.
TEST(RoundTrip, RandomFiles) {
  const std::uint8_t highs[] = {0x00, 0x01, 0x06, 0x0E, 0x24, 0x29, 0x2F, 0x47, 0x5E,
                                0x7F, 0x80, 0x82, 0x84, 0x85, 0x86, 0x88, 0x8D, 0x8E,
                                0x8F, 0xC5, 0xC8, 0xCD, 0xCF, 0xD4, 0xE5, 0xFF};
  const std::uint8_t lows[] = {0x00, 0x01, 0x05, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0F,
                               0x28, 0x38, 0x3A, 0x3C, 0x3E, 0x40, 0x42, 0x60, 0x94, 0xCA,
                               0xCF, 0xD0, 0xDC, 0xE4, 0xFA, 0xF8, 0xFD, 0xFF};
  std::mt19937 random(51);
  for (int round = 0; round < 200; ++round) {
    const std::size_t length = kHeaderBytes + 20 + random() % 600;
    std::vector<std::uint8_t> file(length);
    const bool plausible = round % 2 == 1;
    for (std::size_t k = 0; k < length; ++k) {
      if (!plausible) {
        file[k] = static_cast<std::uint8_t>(random());
      } else if (k % 2 == 0) {
        file[k] = random() % 3 == 0 ? static_cast<std::uint8_t>(random())
                                    : lows[random() % std::size(lows)];
      } else {
        file[k] = highs[random() % std::size(highs)];
      }
    }
    expectRoundTrip(file);
    if (plausible) {
      std::istringstream listing(disassemble(file));
      int decoded = 0;
      for (std::string line; std::getline(listing, line);) {
        decoded += line[0] != '.' && line[0] != ';' && !line.starts_with("NOP");
      }
      EXPECT_GT(decoded, 0) << listing.str();
    }
  }
}

}  // namespace
}  // namespace ladder51
