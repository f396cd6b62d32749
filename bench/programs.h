// Programs the benchmarks share, as instruction-list text.
#pragma once

#include <string>

namespace ladder51::bench {

// The text of examples/NAME (with its ".il").
std::string exampleProgram(const std::string& example);
// 60 random rungs of edge contacts, comparisons and plain contacts, about 8 KB of code: the
// program a full AT89S52 holds. The same on every run.
std::string edgeProgram();

}  // namespace ladder51::bench
