#include "core/toolchain/sdcc_source.h"

#include <map>
#include <regex>

#include <cctype>

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

std::string withInputsRead(std::string_view statements, const std::map<int, std::string>& masks) {
  // inx(5) as a constant call: the input's filter register under the mask, 0 when on; an input
  // no pin carries reads as off.
  static const std::regex call(R"(\binx\((\d+)\))");
  std::string out;
  const std::string text(statements);
  std::size_t last = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator();
       ++it) {
    out.append(text, last, static_cast<std::size_t>(it->position()) - last);
    const std::string n = (*it)[1];
    const auto mask = masks.find(std::stoi(n));
    out += mask == masks.end() ? "1" : "((xfir[" + n + "]&" + mask->second + ")!=0)";
    last = static_cast<std::size_t>(it->position() + it->length());
  }
  out.append(text, last, std::string::npos);
  return out;
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
                                        int perFunction) {
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
  for (std::size_t k = 0; k < cuts.size(); ++k) {
    std::size_t end = k + 1 < cuts.size() ? cuts[k + 1] : scan.text.size();
    std::string name = kScanFunctionPrefix + std::to_string(k + 1);
    const std::string_view piece = scan.text.substr(cuts[k], end - cuts[k]);
    // Only the statements that loop (ZRST over M or C) use main's loop variable; a declaration
    // nothing uses would earn a compiler warning in every other function.
    functions += "void " + name + "(void)\r\n{";
    if (usesIdentifier(piece, "i")) functions += "unsigned int i;";
    functions += withInputsRead(piece, inputs);
    functions += "\r\n}\r\n";
    calls += "\r\n" + name + "();";
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
