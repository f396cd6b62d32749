#include "core/runtime_gen/extensions.h"

#include <string_view>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// Edge contacts on the special relays kept in m8000: ldps(mask) is 1 for one call after the
// relay's bit rose, ldfs(mask) after it fell. Each has an edge memory of its own (m8000p, m8000f),
// so that a rising and a falling contact on the same relay do not take each other's edge. M8002
// is on during the first scan only: its rising edge is the first scan, its falling edge the
// second.
constexpr std::string_view kSpecialRelayEdges[] = {
    "unsigned char m8000p,m8000f;",
    "unsigned char ldps(unsigned char mask)",
    "{if(!(m8000&mask)){m8000p&=~mask;return 0;}",
    "else",
    "if(!(m8000p&mask)){m8000p|=mask;return 1;}",
    "else",
    "return 0;}",
    "unsigned char ldfs(unsigned char mask)",
    "{if(m8000&mask){m8000f|=mask;return 0;}",
    "else",
    "if(m8000f&mask){m8000f&=~mask;return 1;}",
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
