#include <windows.h>

#include "entry_point.h"
#include "remote/webrtc/run_probe.h"

int main() {
  // Before anything can load a DLL: the encoder drivers that COM loads may load helpers by bare
  // name, and the folder the tool was started from is no place to take them from. Should the
  // call fail, the search stays as it was and the run goes on.
  (void)::SetDllDirectoryW(L"");
  return velkaron::cli::run_entry_point(velkaron::probe::run_probe);
}
