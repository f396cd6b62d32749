#include "core/program_files.h"

#include <system_error>
#include <vector>

#include "core/file_io.h"
#include "core/translator/instruction_list.h"

namespace ladder51 {
namespace {

// Longest files read: far beyond any program, but a huge file or an endless device is refused
// instead of filling the memory.
constexpr std::size_t kLongestText = 64 << 20;
constexpr std::size_t kLongestProgram = 16 << 20;

}  // namespace

Status assembleFile(const std::filesystem::path& source, const std::filesystem::path& output) {
  Result<std::string> text = readWholeFile(source, kLongestText);
  if (!text) return text.error();
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(*text);
  if (!program) {
    const Error& error = program.error();
    return Error{error.kind, error.message, source.string() + " " + error.where};
  }
  std::error_code ignored;
  if (std::filesystem::equivalent(output, source, ignored)) {
    return Error{ErrorKind::BadArgument, "the output would overwrite the source", output.string()};
  }
  return writeFileAtomically(
      output, std::string_view(reinterpret_cast<const char*>(program->data()), program->size()));
}

Result<std::string> listProgramFile(const std::filesystem::path& program) {
  Result<std::string> bytes = readWholeFile(program, kLongestProgram);
  if (!bytes) {
    const ErrorKind kind = bytes.error().kind;
    const std::string message = kind == ErrorKind::FileTooLarge
                                    ? "the program file is larger than " +
                                          std::to_string(kLongestProgram) + " bytes: not a program"
                                : kind == ErrorKind::CannotOpen ? "cannot open the program file"
                                                                : "cannot read the program file";
    return Error{kind, message, program.string()};
  }
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
  return disassemble(std::span<const std::uint8_t>(data, bytes->size()));
}

}  // namespace ladder51
