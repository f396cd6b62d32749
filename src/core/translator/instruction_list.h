// Instruction-list (IL) text and .pmw step words, both ways.
//
// IL text has one instruction a line, as Mitsubishi's tools list them ("LD X0", "OUT T5 K100",
// "MOVP K1000 D5", "DMOV K100000 D0", "LDD= D0 K100000", "STL S20", "CJ P10"); a pointer label
// stands on a line of its own ("P10"). ';' starts a comment and blank lines are allowed.
// Mnemonics and device letters may be written in either case; listings use upper case. X and Y
// points are numbered in octal as on the PLC (X10 is point 8), H constants in hex (H1F), every
// other number is decimal. Operands: K and H constants, bit devices X, Y, M, S, digit groups
// K1X0..K8S0, registers T, C, D and the index registers V0..V7, Z0..Z7, pointers P0..P127, and
// any of these but pointers and index registers modified by an index register (D10Z1, K4M0V2).
//
// Three directives: ".word 0xNNNN ..." writes raw words, ".nop N" N NOP words, and ".flat" before
// an instruction writes the flat forms that Mitsubishi's tools never write but some programs hold:
// OUT, SET and RST on M8000..M8255 in one word (CFnn, DFnn, EFnn), and D, T and C operands as 2n
// in their first bank for any n up to 32767 (D1500 as 86B8 860B, as this assembler wrote D1000
// and up before it had the banks). The disassembler lists such steps with ".flat".
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
