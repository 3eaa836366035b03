#include "stream_write_rules.h"

namespace velkaron::cli {

WritePath choose_write_path(const StreamHandleTraits& handle) {
  if (handle.console_takes_utf8) return WritePath::bytes;
  if (handle.console_mode_readable) return WritePath::console;
  return handle.character_device ? WritePath::console_else_bytes : WritePath::bytes;
}

std::size_t console_chunk_length(platform::wide_view rest, std::size_t limit) {
  if (rest.size() <= limit) return rest.size();
  // A pair stays within one write, unless the limit leaves no room for one.
  if (limit > 1 && platform::is_high_surrogate(rest[limit - 1])) return limit - 1;
  return limit;
}

}  // namespace velkaron::cli
