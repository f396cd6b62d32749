#include "core/runtime_gen/extensions.h"

#include <string_view>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// Edge contacts on the special relays kept in m8000: ldps(mask) is 1 for one call after the
// relay's bit rose, ldfs(mask) after it fell; m8000e remembers which edges were reported. M8002
// is on during the first scan only, so its rising edge is the first scan and its falling edge
// the second.
constexpr std::string_view kSpecialRelayEdges[] = {
    "unsigned char m8000e;",
    "unsigned char ldps(unsigned char mask)",
    "{if(!(m8000&mask)){m8000e&=~mask;return 0;}",
    "else",
    "if(!(m8000e&mask)){m8000e|=mask;return 1;}",
    "else",
    "return 0;}",
    "unsigned char ldfs(unsigned char mask)",
    "{if(m8000&mask){m8000e|=mask;return 0;}",
    "else",
    "if(m8000e&mask){m8000e&=~mask;return 1;}",
    "else",
    "return 0;}",
};

}  // namespace

std::string runtimeExtensions(const std::set<RuntimeFeature>& features) {
  CodeWriter text;
  if (features.contains(RuntimeFeature::SpecialRelayEdges)) text.lines(kSpecialRelayEdges);
  return text.take();
}

}  // namespace ladder51
