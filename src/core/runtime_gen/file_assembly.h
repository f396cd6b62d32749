// Joins the sections of fx1n.c: register header, pin declarations, runtime, main, the
// translated statements and the close of the scan loop and of main.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "core/config/pin_map.h"

namespace ladder51 {

// The sections as their generators leave them.
struct SourceSections {
  std::string registerHeader;   // registerHeaderSection()
  std::string pinDeclarations;  // pinDeclarationSection()
  std::string runtime;          // runtimeSection()
  std::string extensions;       // runtimeExtensions() of the translation: after the runtime
  std::string mainRoutine;      // mainSection()
  std::string statements;       // the translated scan-loop statements
};

// The text of fx1n.c, UTF-8 with CR LF line ends.
struct AssembledSource {
  std::string text;
  // Byte offset in `text` at which the translated statements begin.
  std::size_t statementsOffset = 0;
};

// Sequential numbers (0..35) of the outputs in `driven` that no pin of `pinMap` carries, in
// increasing order.
std::vector<int> undeclaredOutputs(const std::set<int>& driven, const PinMap& pinMap);

// Likewise the inputs in `read`: on the board they always read off.
std::vector<int> undeclaredInputs(const std::set<int>& read, const PinMap& pinMap);

// "#define Y24 dly" with CR LF for each of `outputs`: the pin write of an output that no pin
// carries lands in the runtime's spare byte, and the output still works through `y` as an
// internal relay.
std::string spareOutputDefines(const std::vector<int>& outputs);

// The whole file: header, CR LF, pin declarations, the spare output defines, CR LF, runtime,
// the runtime extensions, CR LF, CR LF, main, CR LF, statements, CR LF, "m8000&=0xfd;", CR LF,
// "}}".
AssembledSource assembleSource(const SourceSections& sections, const std::string& spareDefines);

}  // namespace ladder51
