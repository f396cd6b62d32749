// Instruction-list (IL) text and .pmw step words, both ways.
//
// IL text has one instruction a line ("LD X0", "OUT T5 K100", "MOV K1000 D5", "LD= D0 K10"),
// ';' starts a comment and blank lines are allowed. Mnemonics and device letters may be written
// in either case; listings use upper case. X and Y points are numbered in octal as on the PLC
// (X10 is point 8), every other number is decimal. Two directives write words directly:
// ".word 0xNNNN ..." (raw words) and ".nop N" (N NOP words).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace ladder51 {

// The step words of an IL text, in order, without header or padding. The error names the first
// bad line as where = "line N" (counted from 1); a text of more than 1048576 words (2 MiB of
// steps, far beyond any PLC's program memory) is refused at the line that passes the limit.
Result<std::vector<std::uint16_t>> assembleSteps(std::string_view text);

// A complete .pmw file for an IL text: a header of 348 zero bytes, the step words little-endian,
// then 0xFF bytes up to a multiple of 16 (the translator reads whole 16-byte blocks, so an
// unpadded file could lose its last steps). Errors as for assembleSteps.
Result<std::vector<std::uint8_t>> assembleInstructionList(std::string_view text);

// A listing of every step of a .pmw file from byte 348 on, one instruction a line, as IL text
// that assembleInstructionList accepts and turns back into the same words. Each line ends in a
// comment with the byte address and the words in hex: "LD X0                ; 348: 2400".
// Words that form no known instruction are listed as ".word 0xABCD"; a trailing run of more
// than 8 NOP words becomes ".nop N"; an odd trailing byte is noted in a comment.
std::string disassemble(std::span<const std::uint8_t> file);

// The IL text of the instruction whose words start `words` ("OUT T5 K100"), or an empty string
// when they form no known instruction or are too few for it. Words after the instruction's own
// are ignored.
std::string describeInstruction(std::span<const std::uint16_t> words);

}  // namespace ladder51
