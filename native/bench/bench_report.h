#pragma once

#include <string>

namespace tovarune::bench {

// The baseline measured beside a benchmark, by name; empty when it has none.
//   convert/<format>/<size>   beside   memcpy/<size>
//   host_frame/...            beside   (a 60 Hz frame)
//   core/<name>/host          beside   core/<name>/bare
//   read_back/<size>/<mode>   beside   read_back/<size>/draw_only
std::string baseline_of(const std::string &name);

// The last column of the table: the ratio or share that matters for `name`.
std::string describe(const std::string &name, double seconds, double baseline_seconds);

} // namespace tovarune::bench
