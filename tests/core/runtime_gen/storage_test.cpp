// Where the device tables of a program go on each chip: storage.txt lists programs and the
// placement of their tables, or the refusal.
#include "core/runtime_gen/storage.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/runtime_gen/extensions.h"
#include "core/translator/instruction_list.h"
#include "tests/support/fixtures.h"
#include "tests/support/outcome_tables.h"

namespace ladder51 {
namespace {

// "[stc89c52 24c32] LD X0 / OUT M300": the chip (the AT89S52 without one) and the EEPROM in
// brackets, then the program's instructions; END is added.
std::string placementOf(std::string program) {
  ChipProfile chip = defaultChip();
  TranslateOptions options;
  if (program.starts_with("[")) {
    const std::size_t close = program.find("] ");
    std::istringstream tags(program.substr(1, close - 1));
    for (std::string tag; tags >> tag;) {
      if (Result<ChipProfile> named = chipNamed(tag)) {
        chip = *named;
      } else if (std::optional<EepromChoice> eeprom = test::eepromNamed(tag)) {
        options.eeprom = *eeprom;
      } else {
        return "unknown tag " + tag;
      }
    }
    program.erase(0, close + 2);
  }
  options.registersInXram = options.eeprom == EepromChoice::None && chip.memory.xramBytes > 0;
  const Result<std::vector<std::uint8_t>> file =
      assembleInstructionList(test::linesOf(program) + "\nEND\n");
  if (!file) return "does not assemble: " + file.error().describe();
  const Translation translation = translate(*ProgramImage::fromBytes(*file), options);
  if (!translation.completed()) return "not translated: " + translation.error().describe();
  Settings settings;
  settings.chip = chip;
  const Result<StoragePlan> plan =
      planStorage(translation.devices, extensionRamBytes(translation, settings), chip);
  if (!plan) return "refused: " + plan.error().message;
  if (plan->fixed()) return "fixed tables";
  std::string text;
  for (const GrownTables& tables : plan->grown) {
    if (!text.empty()) text += ", ";
    text += tables.range() + (tables.space == Space::Xdata ? " in XRAM" : " in internal RAM");
  }
  return text + " (" + std::to_string(plan->xramBytes()) + " bytes of XRAM)";
}

TEST(Storage, PlacesTablesOnEachChip) {
  test::checkOutcomes(test::sourcePath("tests/ladder/storage.txt"), placementOf);
}

}  // namespace
}  // namespace ladder51
