#pragma once

// What this machine's Media Foundation itself says about hardware H.264 encoders, asked at test
// time: the parts of an expectation that are the platform's to decide (which encoders it
// enumerates, in which order, under which names, and how activating one fails). Needs COM and
// Media Foundation started on the calling thread.

#include <windows.h>

#include <expected>
#include <string>
#include <vector>

namespace velkaron::wine_test {

struct EnumeratedEncoder {
  GUID clsid{};            // all zero when unreadable
  std::string name;        // the friendly name as UTF-8, or "<unknown>"
  std::string clsid_text;  // uppercase GUID text without braces, or "<unknown>"
};

// The hardware encoders with H.264 output, sorted and filtered, in Media Foundation's order:
// what the program enumerates.
std::expected<std::vector<EnumeratedEncoder>, HRESULT> enumerated_encoders();

// The status of activating the enumerated encoder with this CLSID as a transform, shut down
// again when it succeeds; E_FAIL when no such encoder is enumerated.
HRESULT activation_status(const GUID& clsid);

// GUID text as the program writes it: uppercase, without braces, from StringFromGUID2.
std::string clsid_text(const GUID& clsid);

}  // namespace velkaron::wine_test
