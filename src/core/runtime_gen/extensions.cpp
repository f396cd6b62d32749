#include "core/runtime_gen/extensions.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

#include "core/config/time_base.h"
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

// The pulse (P) forms of applied instructions: each keeps its condition of the last scan in a
// bit of pfm; pfr is 1 in the scan the condition of the instruction that follows rose.
constexpr std::string_view kPulseForms[] = {"unsigned char {space} pfr,pfm[{count}];"};

// The scratch values of 32-bit results and of the arithmetic: lv, and lw the second operand. The
// helpers that compute through them take no parameters, so that their values never wait in the
// direct RAM that SDCC overlays among the routines. They stay in idata on every chip: the
// statements compute on them in place there, where in XRAM each scan function would need
// temporaries in the direct RAM.
constexpr std::string_view kScratch[] = {"long idata lv,lw;"};

// Digit groups and bit ranges of an image (y, m or s): gr{image} reads k bits from bit n, the
// first the lowest; gw{image} writes the k low bits of lv there (shifting lv out). Their state
// stays small: the direct RAM that SDCC overlays among routines has little room. Where an index
// register moves a group, {within} and {limit} keep it to its image: the bits beyond read 0 and
// are not written.
constexpr std::string_view kBitGroups[] = {
    "unsigned long gr{image}(unsigned int n,unsigned char k)",
    "{unsigned long v=0;",
    "while(k--){v<<=1;if({within}{image}[(n+k)/8]&(0x01<<((n+k)%8)))v|=1;}",
    "return v;}",
    "void gw{image}(unsigned int n,unsigned char k)",
    "{for(;k{limit};k--,n++,lv>>=1)",
    "if(lv&1){image}[n/8]|=(0x01<<(n%8));else {image}[n/8]&=(0xff-(0x01<<(n%8)));}",
};
constexpr std::string_view kGroupWithin = "n+k<sizeof({image})*8&&";
constexpr std::string_view kGroupLimit = "&&n<sizeof({image})*8";

// The flags: M8020 zero (0x01), M8021 borrow (0x02), M8022 carry (0x04).
constexpr std::string_view kFlags[] = {"unsigned char {space} m8020;"};
// A 16-bit sum computed in 32 bits: the flags it sets, and its 16 bits.
constexpr std::string_view kFlaggedWordSums[] = {
    "int flw(long r)",
    "{m8020&=0xf8;",
    "if(r>32767)m8020|=0x04;else if(r<-32768)m8020|=0x02;",
    "if((int)r==0)m8020|=0x01;",
    "return (int)r;}",
};
// 32-bit sums lv+lw and lv-lw into lv: an overflow shows in the signs of the operands and of
// the result.
constexpr std::string_view kFlaggedWideSums[] = {
    "void addl(void)",
    "{long r=(long)((unsigned long)lv+(unsigned long)lw);",
    "m8020&=0xf8;",
    "if(lv>=0&&lw>=0&&r<0)m8020|=0x04;else if(lv<0&&lw<0&&r>=0)m8020|=0x02;",
    "if(r==0)m8020|=0x01;",
    "lv=r;}",
    "void subl(void)",
    "{long r=(long)((unsigned long)lv-(unsigned long)lw);",
    "m8020&=0xf8;",
    "if(lv>=0&&lw<0&&r<0)m8020|=0x04;else if(lv<0&&lw>=0&&r>=0)m8020|=0x02;",
    "if(r==0)m8020|=0x01;",
    "lv=r;}",
};
// The 32-bit value of the words p[0] (low) and p[1] (high) of a table.
constexpr std::string_view kWordPairs[] = {
    "long dw(unsigned int *p)",
    "{return (long)((unsigned long)p[1]<<16|p[0]);}",
};

// DIV: lv divided by lw, the quotient into lv and the remainder into lw, through lq. A routine
// of its own keeps the temporaries of 32-bit division out of the scan's functions, whose
// temporaries SDCC places in the direct RAM, one set for each function.
constexpr std::string_view kDivision[] = {
    "long {space} lq;",
    "void divl(void)",
    "{lq=lv/lw;lw=lv%lw;lv=lq;}",
};

// The index registers the statements use: Z0.. and V0...
constexpr std::string_view kZRegisters[] = {"unsigned int {space} ixz[{count}];"};
constexpr std::string_view kVRegisters[] = {"unsigned int {space} ixv[{count}];"};
// Registers an index register moves: ix{letter}(r,w) is the place of register r of the table
// and of the w-1 after it, or ixs, two words of 0, where they lie beyond the {count} the table
// keeps. Reads through it see 0 there, and writes change nothing the program keeps. Its
// parameters are few: SDCC overlays them in the direct RAM, which has no room for more.
constexpr std::string_view kIndexSink[] = {"unsigned int {space} ixs[2];"};
constexpr std::string_view kIndexedTable[] = {
    "unsigned int *ix{letter}(int r,unsigned char w)",
    "{if(r<0||r+w>{count}){ixs[0]=0;ixs[1]=0;return ixs;}",
    "return &{table}[(unsigned int)r];}",
};
// The index of a 32-bit instruction: the pair Vn (high) and Zn (low), as an int when it is one,
// else 32767, which moves any register beyond every table.
constexpr std::string_view kIndexPairs[] = {
    "int ixl(unsigned char k)",
    "{if(ixv[k]==(ixz[k]&0x8000?0xffff:0))return (int)ixz[k];return 32767;}",
};

// The scan times D8010..D8012 in 0.1 ms units: sct[0] the last scan, sct[1] the shortest and
// sct[2] the longest since power-on. scantime() runs first in every scan and measures the time
// since its last run, from the FX time base: its milliseconds, counted by the dividers of tmscan
// (mlei, mlei1, mlei2, fxm: 30000 ms in all before they repeat) and by tmr, which holds those
// tmscan has not divided yet; and the part of the millisecond timer 2 has counted, {cycles}
// machine cycles a millisecond, {ticks} of them a 0.1 ms. Read with timer 2's interrupt held, an
// overflow it has not counted yet is added when the count read lies after it. The stamp of the
// last run is kept as its millisecond (sctu) and its tenths of it (sctf, 0..9), whose bit 7 marks
// the first scan: the shortest and the longest begin with the first scan measured. A scan of
// 3.27 s or more reads as 32767.
constexpr std::string_view kScanTime[] = {
    "unsigned int idata sct[3],sctu;unsigned char idata sctf;",
    "void scantime(void)",
    "{unsigned int u,f;unsigned char l;",
    "ET2=0;f=TH2;l=TL2;if(f!=TH2){f=TH2;l=TL2;}",
    "f=(f<<8|l)+{cycles};u=tmr;if(TF2&&f<{half})u++;",
    "ET2=1;",
    "u+=mlei+5*mlei1+50*mlei2+500*fxm;while(u>=30000)u-=30000;",
    "l=f/{ticks};if(l>9)l=9;",
    "if(m8000&0x02){sct[0]=0;sct[1]=0;sct[2]=0;sctu=u;sctf=l|0x80;return;}",
    "f=u-sctu;if(u<sctu)f+=30000;",
    "if(f>=3276)f=32767;else f=f*10+l-(sctf&0x7f);",
    "sct[0]=f;",
    "if((sctf&0x80)||f<sct[1])sct[1]=f;",
    "if((sctf&0x80)||f>sct[2])sct[2]=f;",
    "sctu=u;sctf=l;}",
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
constexpr std::string_view kLoopCounters[] = {"unsigned int {space} loopc[{count}];"};
// The FX time base's timers: the milliseconds of the unit each has begun, a byte each, and
// fxunits(p), which adds the milliseconds of the last scan to tph[p] and returns the units it
// completed, of {unit} milliseconds: 100 for T0..T199, whose elements come first, 10 for the
// rest. It reads and writes tph[p] once, and not at all in a scan shorter than a millisecond.
// (The unit is not a second parameter: SDCC would keep it in the full direct RAM.)
// clang-format off
constexpr std::string_view kTimerPhases[] = {
    "unsigned char {space} tph[{count}];",
    "unsigned char fxunits(unsigned char p)",
    "{unsigned char k=0,u={unit},h;",
    "if(!fxdt)return 0;",
    "h=tph[p]+fxdt;",
    "while(h>=u){h-=u;k++;}",
    "tph[p]=h;",
    "return k;}",
};
// clang-format on

// m8000p and m8000f of the special relays' edge routines.
constexpr int kSpecialRelayEdgeBytes = 2;
// sct[3], sctu and sctf of the scan times.
constexpr int kScanTimeBytes = 9;

int bytesOfBits(int bits) {
  return (bits + 7) / 8;  // eight a byte
}

// An array of the program's own state: its declaration, with {count} bytes, and the bytes the
// declaration holds beside them.
struct StateArray {
  std::span<const std::string_view> declaration;
  int count;
  int otherBytes = 0;
  bool movable = false;  // in XRAM where the chip has it ({space})
};

// The arrays a translation needs, in the order the file declares them.
std::vector<StateArray> stateArrays(const Translation& translation) {
  const StateArray all[] = {
      {kMasterControlZones, translation.zones},
      {kEdgeResults, bytesOfBits(translation.edgeTemps)},
      {kEdgeMemories, bytesOfBits(translation.edgeMemories)},
      {kHeldContacts, bytesOfBits(translation.heldContacts)},
      {kLadderSteps, bytesOfBits(translation.ladderSteps), 2},              // stlr, stlt
      {kZRegisters, translation.zRegisters, translation.zRegisters, true},  // two bytes each
      {kVRegisters, translation.vRegisters, translation.vRegisters, true},
      {kLoopCounters, translation.loops, translation.loops, true},  // the second byte of each
      {kTimerPhases, translation.devices.timerPhases, 0, true},
  };
  std::vector<StateArray> needed;
  for (const StateArray& array : all) {
    if (array.count > 0) needed.push_back(array);
  }
  return needed;
}

// The routines and variables of the features, in the order the file declares them, with the
// bytes of internal RAM each takes. A feature that others need comes before them.
struct FeatureText {
  std::vector<RuntimeFeature> features;  // any of them needs the text
  std::span<const std::string_view> text;
  int ramBytes;
  bool movable = false;  // its variables in XRAM where the chip has it ({space})
};

std::vector<FeatureText> featureTexts() {
  using F = RuntimeFeature;
  return {
      {{F::SpecialRelayEdges}, kSpecialRelayEdges, kSpecialRelayEdgeBytes},
      {{F::Scratch, F::OutputGroups, F::RelayGroups, F::StateGroups, F::FlaggedWideSums,
        F::Division},
       kScratch,
       8},
      {{F::WordPairs}, kWordPairs, 0},
      {{F::Division}, kDivision, 4, true},
      {{F::Flags, F::FlaggedWordSums, F::FlaggedWideSums}, kFlags, 1, true},
      {{F::FlaggedWordSums}, kFlaggedWordSums, 0},
      {{F::FlaggedWideSums}, kFlaggedWideSums, 0},
      {{F::IndexedRamRegisters, F::IndexedXramRegisters, F::IndexedTimers, F::IndexedCounters},
       kIndexSink,
       4,
       true},
  };
}

// The tables an index register reaches, each through its routine ix{letter}.
struct IndexedTable {
  RuntimeFeature feature;
  std::string_view letter;
  std::string_view table;
  std::string_view count;  // the registers it keeps
};
constexpr IndexedTable kIndexedTables[] = {
    // D16 up are in the EEPROM, which an index does not reach: d[16] is a scratch register.
    {RuntimeFeature::IndexedRamRegisters, "d", "d", "16"},
    {RuntimeFeature::IndexedXramRegisters, "d", "d", "sizeof(d)/2"},
    {RuntimeFeature::IndexedTimers, "t", "tc", "sizeof(tc)/2"},
    {RuntimeFeature::IndexedCounters, "c", "ct", "sizeof(ct)/2"},
};

bool needs(const Translation& translation, const FeatureText& text) {
  return std::any_of(text.features.begin(), text.features.end(),
                     [&](RuntimeFeature f) { return translation.features.contains(f); });
}

}  // namespace

// The images whose digit groups the statements read or write.
struct GroupImage {
  RuntimeFeature feature;
  std::string_view image;
};
constexpr GroupImage kGroupImages[] = {{RuntimeFeature::OutputGroups, "y"},
                                       {RuntimeFeature::RelayGroups, "m"},
                                       {RuntimeFeature::StateGroups, "s"}};

// True when the state of applied instructions lives in XRAM: the chip has it. Internal RAM,
// which the stack shares, stays for the runtime's own state.
bool stateInXram(const Settings& settings) {
  return settings.chip.memory.xramBytes > 0;
}

std::string runtimeExtensions(const Translation& translation, const Settings& settings) {
  CodeWriter text;
  text.set("space", stateInXram(settings) ? "xdata" : "idata");
  const DeviceUse& devices = translation.devices;
  text.set("unit", devices.slowTimerPhases == devices.timerPhases ? "100"
                   : devices.slowTimerPhases == 0
                       ? "10"
                       : fill("p<{slow}?100:10", {{"slow", dec(devices.slowTimerPhases)}}));
  for (const FeatureText& feature : featureTexts()) {
    if (needs(translation, feature)) text.lines(feature.text);
  }
  // Groups an index register moves keep to their image: all of an image's groups then do.
  const bool indexed = translation.features.contains(RuntimeFeature::IndexedGroups);
  for (const GroupImage& group : kGroupImages) {
    if (translation.features.contains(group.feature)) {
      const Fields image = {{"image", std::string(group.image)}};
      text.set("image", std::string(group.image))
          .set("within", indexed ? fill(kGroupWithin, image) : "")
          .set("limit", indexed ? fill(kGroupLimit, image) : "")
          .lines(kBitGroups);
    }
  }
  for (const IndexedTable& table : kIndexedTables) {
    if (translation.features.contains(table.feature)) {
      text.set("letter", std::string(table.letter))
          .set("table", std::string(table.table))
          .set("count", std::string(table.count))
          .lines(kIndexedTable);
    }
  }
  if (translation.pulseForms > 0) {
    text.set("count", dec(bytesOfBits(translation.pulseForms))).lines(kPulseForms);
  }
  // The translator gives the scan times with the FX time base only; validation keeps crystals
  // its timer cannot count for from a generated file.
  if (translation.features.contains(RuntimeFeature::ScanTime)) {
    const FxTimer timer =
        fxTimerFor(settings.crystalMHz, settings.chip.clocksPerMachineCycle).value_or(FxTimer{});
    text.set("cycles", dec(timer.cycles % 65536))
        .set("half", dec(timer.cycles / 2))
        .set("ticks", dec(timer.ticksPerTenthMs))
        .lines(kScanTime);
  }
  for (const StateArray& array : stateArrays(translation)) {
    text.set("count", dec(array.count)).lines(array.declaration);
  }
  if (translation.features.contains(RuntimeFeature::IndexPairs)) text.lines(kIndexPairs);
  // The program's subroutines follow the state they use.
  return text.take() + translation.subroutines;
}

int extensionRamBytes(const Translation& translation, const Settings& settings) {
  const bool xram = stateInXram(settings);
  int bytes = translation.pulseForms > 0 && !xram ? 1 + bytesOfBits(translation.pulseForms) : 0;
  for (const FeatureText& feature : featureTexts()) {
    if (needs(translation, feature) && !(xram && feature.movable)) bytes += feature.ramBytes;
  }
  if (translation.features.contains(RuntimeFeature::ScanTime)) bytes += kScanTimeBytes;
  for (const StateArray& array : stateArrays(translation)) {
    if (!(xram && array.movable)) bytes += array.count + array.otherBytes;
  }
  return bytes;
}

}  // namespace ladder51
