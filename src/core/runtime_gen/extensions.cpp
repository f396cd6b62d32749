#include "core/runtime_gen/extensions.h"

#include <span>
#include <string_view>
#include <vector>

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
// FOR loops: the repetitions each has left, two bytes.
constexpr std::string_view kLoopCounters[] = {"unsigned int idata loopc[{count}];"};

// m8000p and m8000f of the special relays' edge routines.
constexpr int kSpecialRelayEdgeBytes = 2;

int bytesOfBits(int bits) {
  return (bits + 7) / 8;  // eight a byte
}

// An array of the program's own state: its declaration, with {count} bytes, and the bytes the
// declaration holds beside them.
struct StateArray {
  std::span<const std::string_view> declaration;
  int count;
  int otherBytes = 0;
};

// The arrays a translation needs, in the order the file declares them.
std::vector<StateArray> stateArrays(const Translation& translation) {
  const StateArray all[] = {
      {kMasterControlZones, translation.zones},
      {kEdgeResults, bytesOfBits(translation.edgeTemps)},
      {kEdgeMemories, bytesOfBits(translation.edgeMemories)},
      {kHeldContacts, bytesOfBits(translation.heldContacts)},
      {kLadderSteps, bytesOfBits(translation.ladderSteps), 2},  // stlr, stlt
      {kLoopCounters, translation.loops, translation.loops},    // the second byte of each
  };
  std::vector<StateArray> needed;
  for (const StateArray& array : all) {
    if (array.count > 0) needed.push_back(array);
  }
  return needed;
}

}  // namespace

std::string runtimeExtensions(const Translation& translation) {
  CodeWriter text;
  if (translation.features.contains(RuntimeFeature::SpecialRelayEdges)) {
    text.lines(kSpecialRelayEdges);
  }
  for (const StateArray& array : stateArrays(translation)) {
    text.set("count", dec(array.count)).lines(array.declaration);
  }
  // The program's subroutines follow the state they use.
  return text.take() + translation.subroutines;
}

int extensionRamBytes(const Translation& translation) {
  int bytes =
      translation.features.contains(RuntimeFeature::SpecialRelayEdges) ? kSpecialRelayEdgeBytes : 0;
  for (const StateArray& array : stateArrays(translation)) bytes += array.count + array.otherBytes;
  return bytes;
}

}  // namespace ladder51
