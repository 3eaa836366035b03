/* The floor for the probe's wall time: only the platform calls that no probe of the hardware
 * H.264 encoders can avoid (COM and Media Foundation start-up, the one enumeration, shutdown),
 * made the same way the probe makes them, and nothing else: no command line, no output. */
#define COBJMACROS
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mftransform.h>

int main(void) {
  HRESULT status = CoInitializeEx(NULL, COINIT_MULTITHREADED);
  if (FAILED(status)) return 1;
  status = MFStartup(MF_VERSION, MFSTARTUP_FULL);
  if (SUCCEEDED(status)) {
    MFT_REGISTER_TYPE_INFO output = {MFMediaType_Video, MFVideoFormat_H264};
    IMFActivate** activates = NULL;
    UINT32 count = 0;
    status = MFTEnumEx(MFT_CATEGORY_VIDEO_ENCODER,
                       MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_SORTANDFILTER, NULL, &output,
                       &activates, &count);
    for (UINT32 i = 0; i < count; ++i) {
      if (activates[i] != NULL) IMFActivate_Release(activates[i]);
    }
    CoTaskMemFree(activates);
    MFShutdown();
  }
  CoUninitialize();
  return SUCCEEDED(status) ? 0 : 1;
}
