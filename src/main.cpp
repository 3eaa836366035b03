#include <cstdio>

#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"

int main() {
  auto outcome = velkaron::probe::run_probe(std::nullopt);
  if (!outcome) {
    std::fprintf(stderr, "%s\n", outcome.error().c_str());
    return 1;
  }
  std::printf("%s\n", velkaron::report::to_pretty_json(*outcome).c_str());
  return 0;
}
