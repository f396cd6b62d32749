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

// The state of the MC zones the program opens: 1 while the zone's outputs may act. Like the edge
// results below, they live in idata: the runtime's direct RAM is full.
constexpr std::string_view kMasterControlZones[] = {"unsigned char idata mcz[{count}];"};

// Edge results evaluated once a scan where their contact stands, and the edge memories of
// contacts that do not share their device's, a bit each.
constexpr std::string_view kEdgeResults[] = {"unsigned char idata edge[{count}];"};
constexpr std::string_view kEdgeMemories[] = {"unsigned char idata edgm[{count}];"};
// Contact results held where the contact stands, a bit each.
constexpr std::string_view kHeldContacts[] = {"unsigned char idata held[{count}];"};
// The step ladder: whether the current step runs and was left by a transfer, and for each step
// whether it was active in the last scan, a bit each.
constexpr std::string_view kLadderSteps[] = {"unsigned char idata stlr,stlt,stlw[{count}];"};

int bytesOfBits(int bits) {
  return (bits + 7) / 8;  // eight a byte
}

}  // namespace

std::string runtimeExtensions(const Translation& translation) {
  CodeWriter text;
  const std::set<RuntimeFeature>& features = translation.features;
  if (features.contains(RuntimeFeature::SpecialRelayEdges)) text.lines(kSpecialRelayEdges);
  if (translation.zones > 0) text.set("count", dec(translation.zones)).lines(kMasterControlZones);
  if (translation.edgeTemps > 0) {
    text.set("count", dec(bytesOfBits(translation.edgeTemps))).lines(kEdgeResults);
  }
  if (translation.edgeMemories > 0) {
    text.set("count", dec(bytesOfBits(translation.edgeMemories))).lines(kEdgeMemories);
  }
  if (translation.heldContacts > 0) {
    text.set("count", dec(bytesOfBits(translation.heldContacts))).lines(kHeldContacts);
  }
  if (translation.ladderSteps > 0) {
    text.set("count", dec(bytesOfBits(translation.ladderSteps))).lines(kLadderSteps);
  }
  return text.take();
}

int extensionRamBytes(const Translation& translation) {
  const bool relayEdges = translation.features.contains(RuntimeFeature::SpecialRelayEdges);
  return (relayEdges ? 2 : 0) + translation.zones + bytesOfBits(translation.edgeTemps) +
         bytesOfBits(translation.edgeMemories) + bytesOfBits(translation.heldContacts) +
         (translation.ladderSteps > 0 ? 2 + bytesOfBits(translation.ladderSteps) : 0);
}

}  // namespace ladder51
