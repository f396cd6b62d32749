// One work directory: its settings files, the generated sections of fx1n.c and the file
// itself. The start-up, the save command and the translate-and-assemble step are the same
// for the command line and the window, and are called in this order: startUp() once, then
// save() and translateAndAssemble() as the user asks. Messages that do not stop a step go to
// the observer as they arise; a step that fails returns its error.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/observer.h"
#include "core/result.h"
#include "core/text/encoding.h"
#include "core/translator/program_image.h"
#include "core/translator/translator.h"

namespace ladder51 {

inline constexpr std::string_view kSourceFileName = "fx1n.c";

// Where and how translateAndAssemble writes the file.
struct AssembleOptions {
  std::optional<std::filesystem::path> output;  // default: fx1n.c in the work directory
  FileEncoding encoding = FileEncoding::Gbk;
  // Leave out the steps the translator does not translate instead of refusing the program.
  bool skipUnsupported = false;
};

// The lines of fx1n.c (counted from 1) that hold the statements of the steps firstStep ..
// lastStep (byte addresses): a step's own, with the contacts before it that wrote nothing.
struct StepLines {
  int firstStep = 0;
  int lastStep = 0;
  int firstLine = 0;
  int lastLine = 0;
  bool operator==(const StepLines&) const = default;
};

// First and last line of the statements of the step at `byteAddress`, from all the entries that
// name it; nothing for a step without statements in the scan (or in a subroutine).
std::optional<std::pair<int, int>> linesOfStep(const std::vector<StepLines>& map, int byteAddress);

// A written fx1n.c.
struct AssembledFile {
  std::filesystem::path path;
  std::string text;                       // UTF-8, CR LF line ends
  std::size_t statementsOffset = 0;       // where the translated statements begin in `text`
  std::string bytes;                      // the file's bytes, in the chosen encoding
  std::size_t bytesStatementsOffset = 0;  // where they begin in `bytes`
  // Outputs (sequential numbers 0..35) that the statements drive but no pin carries.
  std::vector<int> undeclaredOutputs;
  // Inputs (sequential numbers 0..35) that the statements read but no pin carries: they read off.
  std::vector<int> undeclaredInputs;
  // Where each step's statements stand in `text`.
  std::vector<StepLines> stepLines;
};

// Reports a translation's notices, then the steps it passed over (unless its refusal lists them).
void reportTranslation(const Translation& translation, Observer& observer);

class Workspace {
 public:
  explicit Workspace(std::filesystem::path directory, Observer& observer = Observer::none());

  const std::filesystem::path& directory() const { return directory_; }

  // Loads the settings files (a file that cannot be used gives the defaults of a new
  // installation and a SettingsDefaulted notice), validates them and generates the register header,
  // the pin declarations and the runtime section. On a validation failure the sections stay empty
  // and the loaded settings stay available for correction and save().
  Status startUp();

  // The save command: validates the texts, writes the three settings files, reads io.dat
  // back and regenerates the pin declarations and the runtime section (and the register
  // header if it is missing). Nothing is written or regenerated when a check fails; after a
  // failed filter check the caller shows savedFilter() again.
  Status save(const SettingsText& text);

  // Translates the program with the EEPROM choice of the settings, builds main, joins the
  // file and writes it whole. Nothing is written on any refusal: settings not loaded or
  // invalid, a translation that did not complete (its error, with the step), a text the
  // encoding cannot hold, a failed write. The translation's notices and the steps it passed
  // over go to the observer, and outputs that no pin carries once the file is written.
  Result<AssembledFile> translateAndAssemble(const std::filesystem::path& program,
                                             const AssembleOptions& options = {});
  Result<AssembledFile> translateAndAssemble(const ProgramImage& image,
                                             const AssembleOptions& options = {});

  // The settings as last loaded or saved, as written (also when they did not pass).
  const SettingsText& settingsText() const { return text_; }
  // The settings the sections follow: the last that passed validation (a new installation's
  // before any did).
  const Settings& settings() const { return settings_; }
  // The filter text io.dat held when last read.
  const std::string& savedFilter() const { return savedFilter_; }

  // The sections of fx1n.c: the first three as the last start-up or save generated them, the
  // statements of the last translation (also one that stopped), and main and the whole text
  // of the last file written.
  const std::string& registerHeader() const { return registerHeader_; }
  const std::string& pinDeclarations() const { return pinDeclarations_; }
  const std::string& runtime() const { return runtime_; }
  const std::string& statements() const { return statements_; }
  const std::string& mainRoutine() const { return mainRoutine_; }
  const std::string& wholeFile() const { return wholeFile_; }
  // The last translation.
  const Translation& translation() const { return translation_; }

 private:
  void generateSections();

  std::filesystem::path directory_;
  SettingsText text_;
  Settings settings_;
  std::string savedFilter_;
  // Success once the sections follow valid settings; otherwise why they do not.
  Status ready_;
  std::string registerHeader_;
  std::string pinDeclarations_;
  std::string runtime_;
  std::string statements_;
  std::string mainRoutine_;
  std::string wholeFile_;
  Translation translation_;
  Observer* observer_;
};

}  // namespace ladder51
