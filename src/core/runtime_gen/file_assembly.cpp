#include "core/runtime_gen/file_assembly.h"

#include "core/text/generated_lines.h"

namespace ladder51 {

std::vector<int> undeclaredOutputs(const std::set<int>& driven, const PinMap& pinMap) {
  std::set<int> declared;
  for (const std::string& name : pinMap) {
    const std::optional<Point> point = parsePointName(name);
    if (point && point->kind == PointKind::Output) declared.insert(point->inputIndex());
  }
  std::vector<int> missing;
  for (int output : driven) {
    if (!declared.contains(output)) missing.push_back(output);
  }
  return missing;
}

std::string spareOutputDefines(const std::vector<int>& outputs) {
  std::string defines;
  for (int output : outputs) {
    defines += "#define Y" + std::to_string(pointIndexOf(output)) + " dly" + std::string(kCrLf);
  }
  return defines;
}

AssembledSource assembleSource(const SourceSections& sections, const std::string& spareDefines) {
  AssembledSource source;
  std::string& text = source.text;
  text = sections.registerHeader;
  text += kCrLf;
  text += sections.pinDeclarations;
  text += spareDefines;
  text += kCrLf;
  text += sections.runtime;
  text += kCrLf;
  text += kCrLf;
  text += sections.mainRoutine;
  text += kCrLf;
  source.statementsOffset = text.size();
  text += sections.statements;
  text += kCrLf;
  text += "m8000&=0xfd;";
  text += kCrLf;
  text += "}}";
  return source;
}

}  // namespace ladder51
