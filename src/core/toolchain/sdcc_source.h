// SDCC's translation unit derived from a generated fx1n.c: the Keil-only forms rewritten into
// SDCC's, and the scan statements of main split into small functions so that SDCC's optimiser,
// whose time grows faster than the size of one function, stays quick on large programs.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/translator/translator.h"

namespace ladder51 {

// Rewrites the Keil C51 forms SDCC does not take: "sfr P1 = 0x90;" -> "__sfr __at (0x90) P1;",
// "sbit TR0 = 0x8C;" -> "__sbit __at (0x8C) TR0;", "idata" -> "__idata",
// "interrupt 1 using 0" -> "__interrupt(1) __using(0)". Comments and string literals are left
// alone, and so is every other character of the text.
std::string adaptKeilSource(std::string_view keilText);

// True when `name` occurs in `text` as a whole identifier ("i" in "for(i=0;" but not in "if").
bool usesIdentifier(std::string_view text, std::string_view name);

// Statements per scan function when splitting.
inline constexpr int kStatementsPerScanFunction = 5;

// Prefix of the scan functions' names: scanpart1, scanpart2, ...
inline constexpr char kScanFunctionPrefix[] = "scanpart";

// Where the scan statements stand in a generated file, as the translation reports them.
struct ScanStatements {
  std::size_t offset = 0;  // where the statements begin in the file's text
  std::string_view text;   // the statements, as the translation produced them
  const std::vector<StatementMark>* marks = nullptr;
};

// The translation unit with the scan statements moved into functions of about
// `perFunction` statements each, defined just before main() and called in order where the
// statements stood. A cut is made only at a statement start outside every MC block. Fails when
// the file does not hold the statements at `offset` or has no main(). A function declares the
// loop variable `i` of main only when its statements use it. With `callsInPlace` the functions
// hold the statements as withCallsInPlace() gives them, else as the translation wrote them.
Result<std::string> splitScanStatements(std::string_view fileText, const ScanStatements& scan,
                                        int perFunction = kStatementsPerScanFunction,
                                        bool callsInPlace = true);

// The filter mask of each input that a pin carries, by input number, from `inx` in the file:
// {5: "0x0f"}.
std::map<int, std::string> inputFilterMasks(std::string_view fileText);

// The statements with each call of `inx` with a constant input replaced by the test it makes:
// "((xfir[5]&0x0f)!=0)" for input 5 when a pin carries it (`masks`), "1" when none does. With
// `read`, an input a pin carries is its bit of the scan's input image instead,
// "((xim[0]&0x20)!=0)", and is added to `read`. The firmware's scan then reads an input in a few
// instructions instead of a call that compares its argument with every input a pin carries.
std::string withInputsRead(std::string_view statements, const std::map<int, std::string>& masks,
                           std::set<int>* read = nullptr);

// True when an interrupt routine of the file samples the input filters (the classic time base):
// an input may then change between two contacts of one scan, as it never does on the PLC.
bool inputsSampledByInterrupt(std::string_view fileText);

// The input image of the inputs `read`: the bytes xim, and xlatch(), which takes each bit from its
// input's filter (inx's test: 1 while the input is off) when the scan starts; empty when the scan
// reads no input.
std::string inputImage(const std::set<int>& read, const std::map<int, std::string>& masks);

// The statements with each call of a runtime routine with constant arguments replaced by the
// expression the routine evaluates, then inputs read as withInputsRead() does: the edge routines
// ldpx..ldft ("ldpm(21)" tests m[2]&0x20 and keeps its memory in mflag[2]&0x20 as the routine
// does), ldps and ldfs, and ldequ with a constant mode ("ldequ(d[0],10,3)" becomes
// "((int)(d[0])>(int)(10))") when its operands call nothing. Any other call stays as it is. The
// firmware's scan then spends no call, and no shift by a variable count, on a contact.
std::string withCallsInPlace(std::string_view statements, const std::map<int, std::string>& masks,
                             std::set<int>* read = nullptr);

// The unit with each bit of a device numbered by a variable taken from a table and its byte found
// by a shift: "0x01<<(mn%8)" becomes "bitmask[mn&7]" and "[mn/8]" becomes "[mn>>3]", with the
// table defined at the start of the first line, for the unsigned variables the runtime and the
// statements number devices with (mn, xn, n, i, j, tobf). SDCC shifts by a variable count in a
// loop, and divides an unsigned char by 8 through its signed int division routine, since the char
// is promoted first. The text is returned as it is when it holds neither form.
std::string withBitsFromTable(std::string_view unitText);

std::vector<std::size_t> scanCutOffsets(std::size_t statementsSize,
                                        const std::vector<StatementMark>& marks, int perFunction);

}  // namespace ladder51
