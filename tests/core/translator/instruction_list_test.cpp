// The assembler and the disassembler: the encoding both ways as a data table
// (tests/ladder/encodings.txt), and the .pmw file and listing formats. Their error messages are
// tests/ladder/assembler_errors.txt; the fuzz target disasm_roundtrip checks that any file's
// listing assembles back to its words.
#include "core/translator/instruction_list.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "core/translator/fx_encoding.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using Words = std::vector<std::uint16_t>;

Words hexWords(const std::string& text) {
  std::istringstream in(text);
  Words words;
  for (std::string word; in >> word;)
    words.push_back(static_cast<std::uint16_t>(std::stoul(word, nullptr, 16)));
  return words;
}

// The texts of the first and the last operand of a format as listings give them: "D1000",
// "Kn M3071" for a digit group, ".flat D32767", "K32767" (K is listed signed).
std::vector<std::string> endsOf(const fx::WordFormat& f) {
  std::vector<std::string> ends;
  const long long signedLast = f.size == fx::Size::Bits16 ? 32767 : 2147483647;
  for (long long n : {f.first, f.letter == 'K' ? std::min(f.last, signedLast) : f.last}) {
    std::ostringstream out;
    out << (f.form == fx::Form::Flat ? ".flat " : "")
        << (f.payload == fx::Payload::Group ? "Kn " : "");
    if (f.payload == fx::Payload::Address || f.payload == fx::Payload::Group) {
      out << fx::Device{f.letter, static_cast<int>(n)}.name();
    } else {
      out << f.letter << (f.letter == 'H' ? std::hex : std::dec) << std::uppercase << n;
    }
    ends.push_back(out.str());
  }
  return ends;
}

TEST(InstructionEncoding, EveryFormBothWays) {
  std::istringstream table(test::readFile(test::sourcePath("tests/ladder/encodings.txt")));
  std::set<std::pair<const fx::Instruction*, std::uint16_t>> forms;  // row, and its form's word
  std::set<std::string> operands;  // of "=" lines; ".flat D0", "Kn M0" for a digit group
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (const std::size_t split = line.find(" <- "); split != std::string::npos) {
      EXPECT_EQ(describeInstruction(hexWords(line.substr(split + 4))), line.substr(0, split));
      continue;
    }
    const bool bothWays = line.find(" = ") != std::string::npos;
    const std::size_t split = line.find(bothWays ? " = " : " -> ");
    ASSERT_NE(split, std::string::npos) << line;
    const std::string text = line.substr(0, split);
    const Words words = hexWords(line.substr(split + (bothWays ? 3 : 4)));
    const Result<Words> assembled = assembleSteps(text);
    ASSERT_TRUE(assembled.ok()) << text << ": " << assembled.error().describe();
    EXPECT_EQ(*assembled, words) << text;
    if (!bothWays) continue;
    EXPECT_EQ(describeInstruction(words), text);
    std::istringstream tokens(text);
    const bool flat = text.starts_with(".flat");
    for (std::string token; tokens >> token;) {
      const bool group = token.size() > 2 && token[0] == 'K' && token[2] >= 'A';  // K4M0
      operands.insert((flat ? ".flat " : "") + (group ? "Kn " + token.substr(2) : token));
    }
    const fx::StepWord step = fx::decodeStepWord(words[0], flat);
    forms.insert({step.instruction, fx::formWord(*step.instruction, step.variant)});
  }
  for (const fx::Instruction& row : fx::kInstructions) {
    for (fx::Variant variant : fx::kVariants) {
      EXPECT_TRUE(!fx::hasForm(row, variant) || forms.contains({&row, fx::formWord(row, variant)}))
          << fx::mnemonic(row, variant) << " (word " << row.code << ") has no line";
    }
  }
  for (const fx::WordFormat& format : fx::kWordFormats) {
    for (const std::string& end : endsOf(format)) {
      EXPECT_TRUE(operands.contains(end)) << end << " is the end of a format without a line";
    }
  }
}

TEST(InstructionList, TextMayHaveCommentsBlankLinesCrLfAndAByteOrderMark) {
  const Result<Words> words =
      assembleSteps("\xEF\xBB\xBF; a comment line\r\n\r\n  ld\tx10   ; start\r\n   \r\nend");
  ASSERT_TRUE(words.ok()) << words.error().describe();
  EXPECT_EQ(*words, (Words{0x2408, 0x000F}));
}

TEST(InstructionList, RefusesTextsThatWouldAskForGigabytes) {
  std::string text;
  for (int k = 0; k < 16; ++k) text += ".nop 65535\n";
  text += ".nop 16\n";  // exactly 1048576 words
  ASSERT_TRUE(assembleSteps(text).ok());
  text += "END\n";
  for (int k = 0; k < 100000; ++k) text += ".nop 65535\n";  // would be 13 GB of steps
  const Result<Words> words = assembleSteps(text);
  ASSERT_FALSE(words.ok());
  EXPECT_EQ(words.error().describe(),
            "the program is too long: more than 1048576 words of steps (line 18)");
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

// A zero header, the words little-endian, 0xFF up to a whole 16-byte block (the translator
// reads whole blocks, so an unpadded file could lose its last steps).
TEST(InstructionList, FileHasZeroHeaderLittleEndianWordsAndBlockPadding) {
  std::vector<std::uint8_t> padded = programFile({0x2400, 0x0605, 0x8064, 0x8000, 0x000F});
  padded.resize(368, 0xFF);  // 358 bytes padded up to the next block
  EXPECT_EQ(*assembleInstructionList("LD X0\nOUT T5 K100\nEND\n"), padded);
  EXPECT_EQ(*assembleInstructionList("LD X0\nOUT Y0"), programFile({0x2400, 0xC500}));
  EXPECT_EQ(*assembleInstructionList("; nothing\n"), programFile({0xFFFF, 0xFFFF}));
  EXPECT_FALSE(assembleInstructionList("LD X8").ok());
}

TEST(Disassembler, ListsEachStepWithAddressAndWords) {
  EXPECT_EQ(disassemble(programFile({0x2400, 0x0605, 0x8064, 0x8000, 0x1234, 0x0605, 0x8603, 0x8600,
                                     0x0028, 0x8001, 0x8000, 0x000F})),
            "; 372 bytes, 12 words of steps from byte 348\n"
            "; note: the translator reads whole 16-byte blocks: bytes from 368 on are not read\n"
            "LD X0                ; 348: 2400\n"
            "OUT T5 K100          ; 350: 0605 8064 8000\n"
            ".word 0x1234         ; 356: 1234\n"  // no instruction
            ".word 0x0605         ; 358: 0605\n"  // OUT T5 with an odd register offset
            ".word 0x8603         ; 360: 8603\n"
            ".word 0x8600         ; 362: 8600\n"
            ".word 0x0028         ; 364: 0028\n"  // MOV cut short by END
            ".word 0x8001         ; 366: 8001\n"
            ".word 0x8000         ; 368: 8000\n"
            "END                  ; 370: 000F\n");
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
  EXPECT_NE(disassemble(programFile(words)).find("\nNOP                  ; 352: FFFF\n"),
            std::string::npos);
  words.resize(70002, 0xFFFF);  // more than one ".nop" line holds
  EXPECT_NE(disassemble(programFile(words))
                .find(".nop 65535           ; 352: 65535 x FFFF\n"
                      ".nop 4465            ; 131422: 4465 x FFFF\n"),
            std::string::npos);
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
  EXPECT_EQ(disassemble(std::vector<std::uint8_t>(100, 0)),
            "; 100 bytes, shorter than the 348-byte header: no steps\n");

  // The walk of the translator ends at byte 16346, after 8000 steps: the listing says where.
  const std::string listing =
      disassemble(programFile(Words((kLastStep - kFirstStep) / 2 + 2, 0x2400)));
  EXPECT_NE(listing.find("LD X0                ; 16346: 2400\n"
                         "; the translator stops at byte 16346: the steps below are not "
                         "translated\n"
                         "LD X0                ; 16348: 2400\n"),
            std::string::npos);
}

}  // namespace
}  // namespace ladder51
