#include "core/runtime_gen/file_assembly.h"

#include "core/text/code_writer.h"

namespace ladder51 {

namespace {

// The points of `used`, of that kind, that no pin of `pinMap` carries.
std::vector<int> withoutPin(const std::set<int>& used, PointKind kind, const PinMap& pinMap) {
  std::set<int> declared;
  for (const std::string& name : pinMap) {
    const std::optional<Point> point = parsePointName(name);
    if (point && point->kind == kind) declared.insert(point->inputIndex());
  }
  std::vector<int> missing;
  for (int n : used) {
    if (!declared.contains(n)) missing.push_back(n);
  }
  return missing;
}

}  // namespace

std::vector<int> undeclaredOutputs(const std::set<int>& driven, const PinMap& pinMap) {
  return withoutPin(driven, PointKind::Output, pinMap);
}

std::vector<int> undeclaredInputs(const std::set<int>& read, const PinMap& pinMap) {
  return withoutPin(read, PointKind::Input, pinMap);
}

std::string spareOutputDefines(const std::vector<int>& outputs) {
  // Each define ends with a line break, as the pin declarations before it do.
  CodeWriter defines;
  for (int output : outputs) {
    defines.set("point", dec(pointIndexOf(output))).join("#define Y{point} dly").line("");
  }
  return defines.take();
}

AssembledSource assembleSource(const SourceSections& sections, const std::string& spareDefines) {
  CodeWriter file;
  file.set("registerHeader", sections.registerHeader)
      .set("pinDeclarations", sections.pinDeclarations)
      .set("spareDefines", spareDefines)
      .set("runtime", sections.runtime)
      .set("extensions", sections.extensions)
      .set("mainRoutine", sections.mainRoutine)
      .set("statements", sections.statements);
  file.join("{registerHeader}");
  file.line("{pinDeclarations}{spareDefines}");
  file.line("{runtime}{extensions}");
  file.line("");
  file.line("{mainRoutine}");
  file.line("");
  AssembledSource source;
  source.statementsOffset = file.size();
  file.join("{statements}");
  file.line("m8000&=0xfd;");
  file.line("}}");
  source.text = file.take();
  return source;
}

}  // namespace ladder51
