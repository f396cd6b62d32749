#include "core/toolchain/sdcc_source.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include <cctype>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

bool isIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// A cursor over the text for reading one declaration; it never moves past the end.
struct Reader {
  std::string_view text;
  std::size_t at;

  void skipBlanks() {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  }
  std::string_view identifier() {
    std::size_t start = at;
    while (at < text.size() && isIdentifierChar(text[at])) ++at;
    return text.substr(start, at - start);
  }
  bool take(char c) {
    if (at < text.size() && text[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
};

// "NAME = ADDR;" after the keyword at `at`. On a match, sets the parts and the end offset.
bool readRegisterDeclaration(std::string_view text, std::size_t at, std::string_view& name,
                             std::string_view& address, std::size_t& end) {
  Reader r{text, at};
  r.skipBlanks();
  if (r.at == at) return false;  // the keyword must be followed by a blank
  name = r.identifier();
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) return false;
  r.skipBlanks();
  if (!r.take('=')) return false;
  r.skipBlanks();
  address = r.identifier();  // 0x8C, 140
  if (address.empty() || !std::isdigit(static_cast<unsigned char>(address.front()))) return false;
  r.skipBlanks();
  if (!r.take(';')) return false;
  end = r.at;
  return true;
}

// "N using M" or "N" after "interrupt".
bool readInterruptClause(std::string_view text, std::size_t at, std::string& replacement,
                         std::size_t& end) {
  Reader r{text, at};
  r.skipBlanks();
  std::string_view vector = r.identifier();
  if (vector.empty() || !std::isdigit(static_cast<unsigned char>(vector.front()))) return false;
  replacement = "__interrupt(" + std::string(vector) + ")";
  end = r.at;
  Reader rest = r;
  rest.skipBlanks();
  if (rest.identifier() == "using") {
    rest.skipBlanks();
    std::string_view bank = rest.identifier();
    if (!bank.empty() && std::isdigit(static_cast<unsigned char>(bank.front()))) {
      replacement += " __using(" + std::string(bank) + ")";
      end = rest.at;
    }
  }
  return true;
}

// The scan's input image: a bit for each input the statements read, 1 while the input is off
// (inx's value), taken from the input filters when the scan starts, so that every contact of one
// scan sees the same inputs, as on the PLC. It lives in idata: the direct RAM is full, and bit
// variables would split it.
constexpr std::string_view kInputImageBit = "((xim[{B}]&{bit})!=0)";
// An input read from its filter where the contact stands: where the filters change only between
// scans (the FX time base samples them in tmscan), this needs no image.
constexpr std::string_view kInputFilter = "((xfir[{n}]&{mask})!=0)";
constexpr std::string_view kInputImageRead =
    "if(xfir[{n}]&{mask})xim[{B}]|={bit};else xim[{B}]&=~{bit};";
constexpr std::string_view kInputImage =
    "unsigned char __idata xim[{count}];\r\nvoid xlatch(void)\r\n{{reads}}\r\n";
constexpr std::string_view kInputImageLatch = "\r\nxlatch();";

// "0x20": a byte in the unit's lower-case hexadecimal.
std::string hexByte(unsigned value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  return {'0', 'x', kDigits[(value >> 4) & 0xf], kDigits[value & 0xf]};
}

// The fields of input n's bit in the image.
std::vector<Field> inputBitFields(int n) {
  return {{"n", dec(n)}, {"B", dec(n / 8)}, {"bit", hexByte(1u << (n % 8))}};
}

// The edge routines keep the last value of a test in a bit of an edge memory and give 1 once
// after it turned true (rising) or false (falling). An input's routines test inx, which gives 1
// for an input that is off: an input's rise is its test's fall.
constexpr std::string_view kRisingEdge =
    "({test}?(({memory}&{mask})?0:({memory}|={mask},1)):({memory}&=~{mask},0))";
constexpr std::string_view kFallingEdge =
    "({test}?({memory}|={mask},0):({memory}&{mask})?({memory}&=~{mask},1):0)";

struct EdgeRoutine {
  std::string_view name;
  std::string_view edge;    // kRisingEdge or kFallingEdge
  std::string_view test;    // of the device's number {n}, its {byte} and {mask}
  std::string_view memory;  // the byte of the edge memory
  bool takesMask;           // the argument is the mask (ldps, ldfs), else the device's number
};

constexpr EdgeRoutine kEdgeRoutines[] = {
    {"ldpx", kFallingEdge, "inx({n})", "xflag[{byte}]", false},
    {"ldfx", kRisingEdge, "inx({n})", "xflag[{byte}]", false},
    {"ldpm", kRisingEdge, "(m[{byte}]&{mask})", "mflag[{byte}]", false},
    {"ldfm", kFallingEdge, "(m[{byte}]&{mask})", "mflag[{byte}]", false},
    {"ldpy", kRisingEdge, "(y[{byte}]&{mask})", "yflag[{byte}]", false},
    {"ldfy", kFallingEdge, "(y[{byte}]&{mask})", "yflag[{byte}]", false},
    {"ldpc", kRisingEdge, "(c[{byte}]&{mask})", "cout[{byte}]", false},
    {"ldfc", kFallingEdge, "(c[{byte}]&{mask})", "cout[{byte}]", false},
    {"ldpt", kRisingEdge, "(t[{byte}]&{mask})", "tflag[{byte}]", false},
    {"ldft", kFallingEdge, "(t[{byte}]&{mask})", "tflag[{byte}]", false},
    {"ldps", kRisingEdge, "(m8000&{mask})", "m8000p", true},
    {"ldfs", kFallingEdge, "(m8000&{mask})", "m8000f", true},
};

// The bits of a byte, for withBitsFromTable; in code memory, which the direct RAM cannot spare.
// It opens the unit's first line, so that the lines before main keep their numbers in SDCC's
// messages (a generated file starts with a blank line or a declaration).
constexpr std::string_view kBitmaskTable =
    "__code unsigned char bitmask[8]={0x01,0x02,0x04,0x08,0x10,0x20,0x40,0x80};";

// ldequ(first, second, mode) compares its operands converted to its int parameters; modes 1..5.
constexpr std::string_view kComparison = "((int)({first}){operator}(int)({second}))";
constexpr std::string_view kComparisonOperators[] = {"==", ">=", ">", "<", "<="};

std::string_view trimmedBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The value of a decimal or hexadecimal ("0x20") constant.
std::optional<unsigned> constantValue(std::string_view text) {
  text = trimmedBlanks(text);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// True when the text calls a function: an identifier followed by "(".
bool callsAFunction(std::string_view text) {
  for (std::size_t at = text.find('('); at != std::string_view::npos; at = text.find('(', at + 1)) {
    if (at > 0 && isIdentifierChar(text[at - 1])) return true;
  }
  return false;
}

// The arguments of the call whose "(" stands at `open`, and the offset after its ")"; nothing
// when the parentheses do not close.
std::optional<std::pair<std::vector<std::string_view>, std::size_t>> callArguments(
    std::string_view text, std::size_t open) {
  std::vector<std::string_view> arguments;
  int depth = 0;
  std::size_t start = open + 1;
  for (std::size_t at = open; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if ((c == ',' && depth == 1) || depth == 0) {
      arguments.push_back(trimmedBlanks(text.substr(start, at - start)));
      start = at + 1;
    }
    if (depth == 0) return std::pair{arguments, at + 1};
  }
  return std::nullopt;
}

// The expression of an edge routine's call with the argument `argument`, if it is a constant.
std::optional<std::string> edgeInPlace(const EdgeRoutine& routine, std::string_view argument) {
  const std::optional<unsigned> value = constantValue(argument);
  if (!value) return std::nullopt;
  const unsigned n = *value & 0xff;  // the routines take an unsigned char
  const Fields fields = {{"n", dec(n)},
                         {"byte", dec(n / 8)},
                         {"mask", hexByte(routine.takesMask ? n : 1u << (n % 8))}};
  const Fields edge = {{"test", fill(routine.test, fields)},
                       {"memory", fill(routine.memory, fields)},
                       {"mask", fill("{mask}", fields)}};
  return fill(routine.edge, edge);
}

// The comparison ldequ(first, second, mode) makes, if its mode is a constant and its operands
// call nothing (the order in which a call reads its operands is left as the call makes it).
std::optional<std::string> comparisonInPlace(const std::vector<std::string_view>& arguments) {
  if (arguments.size() != 3 || callsAFunction(arguments[0]) || callsAFunction(arguments[1])) {
    return std::nullopt;
  }
  const std::optional<unsigned> mode = constantValue(arguments[2]);
  if (!mode || *mode < 1 || *mode > std::size(kComparisonOperators)) return std::nullopt;
  return fill(kComparison, {{"first", std::string(arguments[0])},
                            {"operator", std::string(kComparisonOperators[*mode - 1])},
                            {"second", std::string(arguments[1])}});
}

// The expression that replaces the call of `name` at `open`, and the offset after the call.
std::optional<std::pair<std::string, std::size_t>> callInPlace(std::string_view text,
                                                               std::string_view name,
                                                               std::size_t open) {
  const auto edge = std::find_if(std::begin(kEdgeRoutines), std::end(kEdgeRoutines),
                                 [name](const EdgeRoutine& r) { return r.name == name; });
  if (name != "ldequ" && edge == std::end(kEdgeRoutines)) return std::nullopt;
  const auto call = callArguments(text, open);
  if (!call) return std::nullopt;
  const auto& [arguments, end] = *call;
  std::optional<std::string> expression;
  if (edge == std::end(kEdgeRoutines)) {
    expression = comparisonInPlace(arguments);
  } else if (arguments.size() == 1) {
    expression = edgeInPlace(*edge, arguments[0]);
  }
  if (!expression) return std::nullopt;
  return std::pair{std::move(*expression), end};
}

}  // namespace

bool usesIdentifier(std::string_view text, std::string_view name) {
  for (std::size_t at = text.find(name); at != std::string_view::npos;
       at = text.find(name, at + 1)) {
    const bool startsWord = at == 0 || !isIdentifierChar(text[at - 1]);
    const std::size_t end = at + name.size();
    const bool endsWord = end == text.size() || !isIdentifierChar(text[end]);
    if (startsWord && endsWord) return true;
  }
  return false;
}

std::string adaptKeilSource(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    // Comments and literals pass through untouched.
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      std::size_t end = text.find('\n', i);
      end = end == std::string_view::npos ? text.size() : end;
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      std::size_t end = text.find("*/", i + 2);
      end = end == std::string_view::npos ? text.size() : end + 2;
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == '"' || c == '\'') {
      std::size_t end = i + 1;
      while (end < text.size() && text[end] != c && text[end] != '\n') {
        end += text[end] == '\\' ? 2 : 1;
      }
      end = end < text.size() ? end + 1 : text.size();
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (!isIdentifierChar(c)) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && isIdentifierChar(text[i])) ++i;
    std::string_view word = text.substr(start, i - start);
    std::string_view name, address;
    std::size_t end = 0;
    std::string replacement;
    if ((word == "sfr" || word == "sbit") && readRegisterDeclaration(text, i, name, address, end)) {
      out += word == "sfr" ? "__sfr __at (" : "__sbit __at (";
      out.append(address);
      out += ") ";
      // The name is a word like any other: a keyword standing there is adapted too, so that
      // adapting the result again changes nothing.
      out += name == "idata" || name == "xdata" ? "__" + std::string(name) : std::string(name);
      out += ';';
      i = end;
    } else if (word == "idata" || word == "xdata") {
      out += "__";
      out.append(word);
    } else if (word == "interrupt" && readInterruptClause(text, i, replacement, end)) {
      out += replacement;
      i = end;
    } else {
      out.append(word);
    }
  }
  return out;
}

std::map<int, std::string> inputFilterMasks(std::string_view fileText) {
  // inx's block for input i when a pin carries it:
  //   #if 1
  //   if(i==5)if((xfir[5]&0x0f)==0x00)return 0;else  return 1;
  static const std::regex block(
      R"(#if [1-9][0-9]*\r?\nif\(i==(\d+)\)if\(\(xfir\[\d+\]&(0x[0-9a-f]+)\)==0x00\))");
  std::map<int, std::string> masks;
  const std::string text(fileText.substr(0, fileText.find("\nmain()")));
  for (auto it = std::sregex_iterator(text.begin(), text.end(), block);
       it != std::sregex_iterator(); ++it) {
    masks[std::stoi((*it)[1])] = (*it)[2];
  }
  return masks;
}

std::string withInputsRead(std::string_view statements, const std::map<int, std::string>& masks,
                           std::set<int>* read) {
  // inx(5) as a constant call: the input's bit of the scan's input image, or its filter under
  // the mask, 1 when off; an input no pin carries reads as off.
  static const std::regex call(R"(\binx\((\d+)\))");
  std::string out;
  const std::string text(statements);
  std::size_t last = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator();
       ++it) {
    out.append(text, last, static_cast<std::size_t>(it->position()) - last);
    const int n = std::stoi((*it)[1]);
    if (const auto mask = masks.find(n); mask == masks.end()) {
      out += "1";
    } else if (read) {
      out += fill(kInputImageBit, inputBitFields(n));
      read->insert(n);
    } else {
      out += fill(kInputFilter, {{"n", dec(n)}, {"mask", mask->second}});
    }
    last = static_cast<std::size_t>(it->position() + it->length());
  }
  out.append(text, last, std::string::npos);
  return out;
}

bool inputsSampledByInterrupt(std::string_view fileText) {
  // The sampling of input 0, "xfir[0]=xfir[0]<<1;xfir[0]=xfir[0]|X0;", and the function it is in.
  const std::size_t sample = fileText.find("<<1;xfir[");
  if (sample == std::string_view::npos) return false;
  std::size_t header = fileText.rfind("\nvoid ", sample);
  header = header == std::string_view::npos ? 0 : header + 1;
  const std::size_t end = fileText.find('\n', header);
  return fileText.substr(header, end - header).find(" interrupt ") != std::string_view::npos;
}

std::string inputImage(const std::set<int>& read, const std::map<int, std::string>& masks) {
  if (read.empty()) return {};
  std::string reads;
  for (int n : read) {
    std::vector<Field> fields = inputBitFields(n);
    fields.push_back({"mask", masks.at(n)});
    reads += fill(kInputImageRead, fields);
  }
  return fill(kInputImage, {{"count", dec(*read.rbegin() / 8 + 1)}, {"reads", reads}});
}

std::string withBitsFromTable(std::string_view text) {
  static constexpr std::string_view kNames[] = {"mn", "xn", "n", "i", "j", "tobf"};
  static constexpr std::string_view kShift = "0x01<<(";
  // The variable named at `at` when it is one of kNames and `suffix` follows it.
  const auto nameAt = [text](std::size_t at, std::string_view suffix) -> std::string_view {
    std::size_t end = at;
    while (end < text.size() && isIdentifierChar(text[end])) ++end;
    const std::string_view name = text.substr(at, end - at);
    if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames) ||
        text.substr(end, suffix.size()) != suffix) {
      return {};
    }
    return name;
  };
  std::string out;
  out.reserve(text.size());
  bool rewritten = false;
  for (std::size_t at = 0; at < text.size();) {
    const bool afterIdentifier = at > 0 && isIdentifierChar(text[at - 1]);
    if (!afterIdentifier && text.substr(at, kShift.size()) == kShift) {
      if (const std::string_view name = nameAt(at + kShift.size(), "%8)"); !name.empty()) {
        out += fill("bitmask[{name}&7]", {{"name", std::string(name)}});
        at += kShift.size() + name.size() + 3;
        rewritten = true;
        continue;
      }
    }
    if (text[at] == '[') {
      if (const std::string_view name = nameAt(at + 1, "/8]"); !name.empty()) {
        out += fill("[{name}>>3]", {{"name", std::string(name)}});
        at += 1 + name.size() + 3;
        rewritten = true;
        continue;
      }
    }
    out += text[at++];
  }
  if (!rewritten) return out;
  return std::string(kBitmaskTable) + out;
}

std::string withCallsInPlace(std::string_view statements, const std::map<int, std::string>& masks,
                             std::set<int>* read) {
  std::string out;
  out.reserve(statements.size() + statements.size() / 2);
  std::size_t i = 0;
  while (i < statements.size()) {
    if (!isIdentifierChar(statements[i])) {
      out.push_back(statements[i++]);
      continue;
    }
    const std::size_t start = i;
    while (i < statements.size() && isIdentifierChar(statements[i])) ++i;
    const std::string_view name = statements.substr(start, i - start);
    if (i < statements.size() && statements[i] == '(') {
      if (auto replaced = callInPlace(statements, name, i)) {
        out += replaced->first;
        i = replaced->second;
        continue;
      }
    }
    out.append(name);
  }
  return withInputsRead(out, masks, read);
}

std::vector<std::size_t> scanCutOffsets(std::size_t statementsSize,
                                        const std::vector<StatementMark>& marks, int perFunction) {
  std::vector<std::size_t> cuts;
  if (statementsSize == 0) return cuts;
  cuts.push_back(0);
  int inPiece = 0;
  for (const StatementMark& mark : marks) {
    if (mark.offset >= statementsSize) break;
    if (mark.offset > cuts.back() && inPiece >= perFunction) {
      cuts.push_back(mark.offset);
      inPiece = 0;
    }
    ++inPiece;
  }
  return cuts;
}

Result<std::string> splitScanStatements(std::string_view fileText, const ScanStatements& scan,
                                        int perFunction, bool callsInPlace) {
  if (scan.offset > fileText.size() ||
      fileText.substr(scan.offset, scan.text.size()) != scan.text) {
    return Error{ErrorKind::Internal,
                 "the scan statements are not where the translation places them", "fx1n.c"};
  }
  if (scan.text.empty() || scan.marks == nullptr || scan.marks->empty()) {
    return std::string(fileText);
  }
  // main() stands on a line of its own; the scan functions go right before it.
  std::size_t mainAt = fileText.rfind("\nmain()", scan.offset);
  if (mainAt == std::string_view::npos)
    return Error{ErrorKind::Internal, "the file has no main()", "fx1n.c"};
  ++mainAt;

  const std::vector<std::size_t> cuts =
      scanCutOffsets(scan.text.size(), *scan.marks, perFunction < 1 ? 1 : perFunction);
  const std::map<int, std::string> inputs = inputFilterMasks(fileText);
  std::string functions;
  std::string calls;
  // Where an interrupt samples the inputs, they may change while the scan runs: the scan then
  // reads them from an image taken when it starts (the inputs it reads are gathered in `read`).
  std::set<int> read;
  std::set<int>* image = inputsSampledByInterrupt(fileText) ? &read : nullptr;
  for (std::size_t k = 0; k < cuts.size(); ++k) {
    std::size_t end = k + 1 < cuts.size() ? cuts[k + 1] : scan.text.size();
    std::string name = kScanFunctionPrefix + std::to_string(k + 1);
    const std::string_view piece = scan.text.substr(cuts[k], end - cuts[k]);
    // Only the statements that loop (ZRST over M or C) use main's loop variable; a declaration
    // nothing uses would earn a compiler warning in every other function.
    functions += "void " + name + "(void)\r\n{";
    if (usesIdentifier(piece, "i")) functions += "unsigned int i;";
    functions += callsInPlace ? withCallsInPlace(piece, inputs, image) : std::string(piece);
    functions += "\r\n}\r\n";
    calls += "\r\n" + name + "();";
  }
  if (const std::string image = inputImage(read, inputs); !image.empty()) {
    functions.insert(0, image);
    calls.insert(0, kInputImageLatch);
  }
  std::string unit;
  unit.reserve(fileText.size() + functions.size() + calls.size());
  unit.append(fileText.substr(0, mainAt));
  unit += functions;
  unit.append(fileText.substr(mainAt, scan.offset - mainAt));
  unit += calls;
  unit.append(fileText.substr(scan.offset + scan.text.size()));
  return unit;
}

}  // namespace ladder51
