#include "entry_point.h"
#include "remote/webrtc/run_probe.h"

int main(int argc, char** argv) {
  return velkaron::cli::run_entry_point(argc, argv, velkaron::probe::run_probe);
}
