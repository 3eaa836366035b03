#include <cstddef>

#include "platform/guid.h"
#include "platform/hex_text.h"

namespace velkaron::platform {

std::string guid_text(const GUID& guid) {
  std::string text;
  text.reserve(36);
  append_hex(text, guid.Data1, 8);
  text += '-';
  append_hex(text, guid.Data2, 4);
  text += '-';
  append_hex(text, guid.Data3, 4);
  text += '-';
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2) text += '-';
    append_hex(text, guid.Data4[i], 2);
  }
  return text;
}

}  // namespace velkaron::platform
