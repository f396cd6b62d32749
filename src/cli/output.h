// How the command line reports the core's results: errors and warnings on standard error.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/translator/translator.h"

namespace ladder51::cli {

// "ladder51: error: <message> (<where>)" on standard error.
void printError(const Error& error);
// "ladder51: warning: <text>" on standard error.
void printWarning(const std::string& text);
// Each notice as a warning.
void printNotices(const std::vector<std::string>& notices);
// The notices and warnings of a translation, then its refusal or fault if it stopped.
void printTranslationReport(const Translation& translation);
// Reads a .pmw file and translates it; reports and returns false when it did not complete.
bool translateFile(const std::filesystem::path& program, const TranslateOptions& options,
                   Translation& translation);

}  // namespace ladder51::cli
