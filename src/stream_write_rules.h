#pragma once

// The decisions inside the standard-stream writers, apart from the calls that
// write: which path a handle's text takes, where console text is cut into
// writes, and when a writer that makes no progress gives up.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>

#include "platform/wide_text.h"

namespace velkaron::cli {

// What is known of a standard handle before anything is written to it.
struct StreamHandleTraits {
  bool console_mode_readable = false;  // the console answered for the handle
  bool character_device = false;       // consoles, but also NUL and serial ports
  bool console_takes_utf8 = false;     // the console's output code page is 65001
};

enum class WritePath {
  bytes,    // files, pipes, devices, and consoles that take UTF-8 as it is
  console,  // a console that does not: the text as UTF-16
  // A character device whose console mode could not be read (a console handle
  // opened for writing only reads so): written as a console, or as bytes when
  // it refuses the first console write.
  console_else_bytes,
};

WritePath choose_write_path(const StreamHandleTraits& handle);

// Kept well below the sizes at which some consoles refuse a single write.
inline constexpr std::size_t kConsoleChunkUnits = 8192;

// How many units of `rest` the next console write takes: at most `limit`, and
// never only the first half of a surrogate pair.
std::size_t console_chunk_length(platform::wide_view rest, std::size_t limit = kConsoleChunkUnits);

// What one call of a writer did: failed, or succeeded having written `written` units.
struct WriteCall {
  bool succeeded;
  std::size_t written;
};

// Calls in a row that succeed having written nothing (as a pipe in no-wait mode
// with a full buffer answers) after which the write counts as failed.
inline constexpr int kFruitlessWriteLimit = 3;

enum class WriteEnd { complete, call_failed, no_progress };

struct WriteProgress {
  WriteEnd end;
  std::size_t written;  // units written before the end
};

// Hands `write_once` what is left of `text` until all of it is written, the
// first call fails, or kFruitlessWriteLimit calls in a row write nothing.
template <class Unit, class WriteOnce>
WriteProgress write_all(std::basic_string_view<Unit> text, WriteOnce&& write_once) {
  std::size_t done = 0;
  int fruitless = 0;
  while (done < text.size()) {
    const WriteCall call = write_once(text.substr(done));
    if (!call.succeeded) return {WriteEnd::call_failed, done};
    if (call.written == 0) {
      if (++fruitless == kFruitlessWriteLimit) return {WriteEnd::no_progress, done};
      continue;
    }
    fruitless = 0;
    done += std::min(call.written, text.size() - done);
  }
  return {WriteEnd::complete, done};
}

// write_all over a system call in the manner of WriteFile and WriteConsoleW:
// `system_write(data, asked, &written)` is asked to take `asked` units, at most
// `chunk_length(rest)` and what a Count holds, and answers whether it succeeded
// and, in `written`, how many units it took. That may be fewer than asked: a
// pipe in no-wait mode takes what fits, and the rest goes in later calls.
template <class Count, class Unit, class ChunkLength, class SystemWrite>
WriteProgress write_through(std::basic_string_view<Unit> text, ChunkLength&& chunk_length,
                            SystemWrite&& system_write) {
  return write_all(text, [&](std::basic_string_view<Unit> rest) {
    const auto asked = static_cast<Count>(
        std::min<std::size_t>(chunk_length(rest), std::numeric_limits<Count>::max()));
    Count written = 0;
    const bool succeeded = system_write(rest.data(), asked, &written);
    return WriteCall{succeeded, written};
  });
}

// Writes `utf8` along `path` through a handle's two system calls, one in the manner of
// WriteConsoleW and one in the manner of WriteFile (see write_through): a console gets the text
// as UTF-16 in console chunks, anything else the bytes as they are.
//
// WritePath::console_else_bytes: a console write refused before it took anything means the
// device is no console after all, and the bytes go instead. Refused after some text, the write
// has failed: writing the text again as bytes would repeat what the device already took. What
// it took is the write loop's own count.
template <class Count, class ConsoleWrite, class BytesWrite>
WriteEnd write_text(WritePath path, std::string_view utf8, ConsoleWrite&& console_write,
                    BytesWrite&& bytes_write) {
  const auto bytes = [&] {
    return write_through<Count>(
               utf8, [](std::string_view rest) { return rest.size(); }, bytes_write)
        .end;
  };
  if (path == WritePath::bytes) return bytes();
  const platform::wide_string text = platform::encode_utf16(utf8);
  const WriteProgress console = write_through<Count>(
      platform::wide_view(text),
      [](platform::wide_view rest) { return console_chunk_length(rest); }, console_write);
  const bool refused_at_once = console.end != WriteEnd::complete && console.written == 0;
  if (path == WritePath::console_else_bytes && refused_at_once) return bytes();
  return console.end;
}

}  // namespace velkaron::cli
