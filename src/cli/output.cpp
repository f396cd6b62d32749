#include "cli/output.h"

#include <iostream>

#include "core/translator/instruction_list.h"

namespace ladder51::cli {

void printError(const Error& error) {
  std::cerr << "ladder51: error: " << error.describe() << "\n";
}

void printWarning(const std::string& text) {
  std::cerr << "ladder51: warning: " << text << "\n";
}

void printNotices(const std::vector<std::string>& notices) {
  for (const std::string& notice : notices) printWarning(notice);
}

void printTranslationReport(const Translation& translation) {
  for (const Notice& notice : translation.notices) {
    printWarning(notice.message + " (" + notice.step.describe() + ")");
  }
  for (const Notice& warning : translation.warnings) {
    const std::string instruction = describeInstruction(warning.step.words);
    printWarning(warning.step.describe() + (instruction.empty() ? "" : " " + instruction) + ": " +
                 warning.message);
  }
  if (!translation.completed()) printError(translation.error());
}

bool translateFile(const std::filesystem::path& program, const TranslateOptions& options,
                   Translation& translation) {
  Result<ProgramImage> image = ProgramImage::readFile(program);
  if (!image) {
    printError(image.error());
    return false;
  }
  translation = translate(*image, options);
  printTranslationReport(translation);
  return translation.completed();
}

}  // namespace ladder51::cli
