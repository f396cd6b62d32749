// `ladder51 translate PROG.pmw [-C DIR] [-o FILE] [--encoding gbk|utf-8]`: writes the complete
// fx1n.c for the program and the settings of a work directory.
#include <iostream>
#include <map>
#include <memory>

#include "cli/commands.h"
#include "core/sequence.h"

namespace ladder51::cli {

void addTranslateCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string program;
    std::string directory = ".";
    std::string output;
    FileEncoding encoding = FileEncoding::Gbk;
    bool skipUnsupported = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "translate", "Translate a .pmw program and write the complete fx1n.c for DIR's settings");
  cmd->add_option("program", options->program, "The .pmw program")->required();
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory holding io.dat, IIC.dat and 7219.dat (default: .)");
  cmd->add_option("-o,--output", options->output, "Where to write the file (default: DIR/fx1n.c)");
  const std::map<std::string, FileEncoding> encodings = {{"gbk", FileEncoding::Gbk},
                                                         {"utf-8", FileEncoding::Utf8}};
  cmd->add_option("--encoding", options->encoding, "Encoding of the written file (default: gbk)")
      ->transform(CLI::CheckedTransformer(encodings, CLI::ignore_case));
  addSkipUnsupportedFlag(*cmd, options->skipUnsupported);
  cmd->callback([options, &context] {
    SequenceRequest request{.workDirectory = options->directory,
                            .program = options->program,
                            .end = SequenceEnd::Translated,
                            .assemble = {.output = std::nullopt,
                                         .encoding = options->encoding,
                                         .skipUnsupported = options->skipUnsupported},
                            .build = {}};
    if (!options->output.empty()) request.assemble.output = options->output;
    PrintingObserver observer;
    Result<SequenceResult> done = runSequence(request, observer);
    if (!done) return fail(context, done.error());
    std::cout << "wrote " << done->file.path.string() << "\n";
  });
}

}  // namespace ladder51::cli
