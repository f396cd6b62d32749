// `ladder51 asm` and `ladder51 disasm`: instruction-list text to .pmw and back.
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <system_error>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/file_io.h"
#include "core/translator/instruction_list.h"

namespace ladder51::cli {
namespace {

namespace fs = std::filesystem;

// Longest files the commands read: far beyond any program, but a huge file or an endless
// device is refused instead of filling the memory.
constexpr std::size_t kLongestText = 64 << 20;
constexpr std::size_t kLongestProgram = 16 << 20;

// Why a program file could not be listed.
std::string programReadFailure(const Error& error) {
  if (error.kind == ErrorKind::FileTooLarge) {
    return "the program file is larger than " + std::to_string(kLongestProgram) +
           " bytes: not a program";
  }
  if (error.kind == ErrorKind::CannotOpen) return "cannot open the program file";
  return "cannot read the program file";
}

Result<std::string> readText(const fs::path& path) {
  return readWholeFile(path, kLongestText);
}

// Writes the file whole or not at all: a temporary file beside it, renamed over it at the end,
// so that a failed write never leaves a truncated program behind.
Status writeWhole(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const fs::path temporary =
      folder / ("." + path.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
      return Error{ErrorKind::CannotWrite, "cannot create the output file", temporary.string()};
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return Error{ErrorKind::CannotWrite, "cannot write the output file", temporary.string()};
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return Error{ErrorKind::CannotWrite, "cannot write the output file: " + error.message(),
                 path.string()};
  }
  return success();
}

}  // namespace

void addAsmCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string source;
    std::string output;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("asm", "Assemble instruction-list text into a .pmw program");
  cmd->add_option("source", options->source, "The instruction-list text (one instruction a line)")
      ->required();
  cmd->add_option("-o,--output", options->output,
                  "The .pmw program to write (default: the source with the extension .pmw)");
  cmd->callback([options, &context] {
    context.exitCode = 1;
    Result<std::string> text = readText(options->source);
    if (!text) {
      printError(text.error());
      return;
    }
    Result<std::vector<std::uint8_t>> program = assembleInstructionList(*text);
    if (!program) {
      printError({program.error().kind, program.error().message,
                  options->source + " " + program.error().where});
      return;
    }
    const fs::path output = options->output.empty()
                                ? fs::path(options->source).replace_extension(".pmw")
                                : fs::path(options->output);
    std::error_code ignored;
    if (fs::equivalent(output, options->source, ignored)) {
      printError(
          {ErrorKind::BadArgument, "the output would overwrite the source", output.string()});
      return;
    }
    if (Status written = writeWhole(output, *program); !written) {
      printError(written.error());
      return;
    }
    context.exitCode = 0;
  });
}

void addDisasmCommand(CLI::App& app, Context& context) {
  auto program = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("disasm", "List the steps of a .pmw program");
  cmd->add_option("program", *program, "The .pmw program")->required();
  cmd->callback([program, &context] {
    Result<std::string> read = readWholeFile(*program, kLongestProgram);
    if (!read) {
      printError({read.error().kind, programReadFailure(read.error()), *program});
      context.exitCode = 1;
      return;
    }
    const std::vector<std::uint8_t> bytes(read->begin(), read->end());
    std::cout << disassemble(bytes) << std::flush;
  });
}

}  // namespace ladder51::cli
