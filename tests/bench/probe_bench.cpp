// probe_bench ENTRIES: one run of the probe and the rendering of its report on the substitute
// platform, with one encoder that offers ENTRIES input types, for tools/bench to measure.
//
// The platform is the tests' scripted world with its objects' ledger turned off: no allocation
// per call, one media type object reused for every index (the probe releases each type before
// asking for the next, and this driver stops if it does not), so that instruction counts,
// allocations and the heap peak are the probe's own and not the test double's. Everything
// measured happens inside velkaron_bench_measured_run, which tools/bench names to callgrind.
//
// Prints one line: entries, allocations and bytes allocated by operator new inside the run, the
// largest number of bytes live at once, and the length of the rendered document.

#include <malloc.h>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"
#include "scripted_world.h"

// A sanitizer brings its own allocator, which must see every block: the counts are then not kept.
#if defined(__SANITIZE_ADDRESS__)
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define VELKARON_BENCH_COUNTS_ALLOCATIONS 1
#endif
#else
#define VELKARON_BENCH_COUNTS_ALLOCATIONS 1
#endif

namespace {

namespace substitute = velkaron::test_support::substitute;

// operator new inside the measured run: calls, bytes asked for, and the peak of the bytes live
// (as malloc sized the blocks). Not inlined anywhere, so that a tool that replaces the allocator
// (valgrind) replaces every call alike; the counts are then simply not kept.
struct AllocationCount {
  bool counting = false;
  std::size_t calls = 0;
  std::size_t bytes = 0;
  std::size_t live = 0;
  std::size_t peak = 0;
};
AllocationCount g_allocations;

#if defined(VELKARON_BENCH_COUNTS_ALLOCATIONS)
[[gnu::noinline]] void* counted_allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  if (g_allocations.counting) {
    ++g_allocations.calls;
    g_allocations.bytes += size;
    g_allocations.live += malloc_usable_size(block);
    if (g_allocations.live > g_allocations.peak) g_allocations.peak = g_allocations.live;
  }
  return block;
}

[[gnu::noinline]] void counted_free(void* block) noexcept {
  if (block == nullptr) return;
  // Blocks from before the run may be freed inside it: never count below zero.
  const std::size_t size = malloc_usable_size(block);
  if (g_allocations.counting) g_allocations.live -= size <= g_allocations.live ? size : 0;
  std::free(block);
}
#endif

[[noreturn]] void stop(const char* why) {
  std::fprintf(stderr, "probe_bench: %s\n", why);
  std::exit(2);
}

constexpr GUID video_subtype(std::uint32_t fourcc) {
  return {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
// NV12, YUY2, ARGB32, RGB32 and IYUV (which the probe has no label for), in turn.
constexpr GUID kSubtypes[] = {video_subtype(0x3231564E), video_subtype(0x32595559),
                              video_subtype(0x00000015), video_subtype(0x00000016),
                              video_subtype(0x56555949)};
constexpr GUID kClsid = {
    0x12345678, 0x9ABC, 0x4DEF, {0x81, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// One asynchronous encoder (the unlock is part of the run) offering `input_types` types.
velkaron::test_support::world::World bench_world(std::uint32_t input_types) {
  auto encoder = velkaron::test_support::world::named(u"Bench H264 Encoder MFT", kClsid);
  encoder.async = 1;
  for (std::uint32_t i = 0; i < input_types; ++i) {
    encoder.inputs.push_back({kSubtypes[i % std::size(kSubtypes)], {}, {}});
  }
  velkaron::test_support::world::World world;
  world.encoders.push_back(std::move(encoder));
  return world;
}

}  // namespace

#if defined(VELKARON_BENCH_COUNTS_ALLOCATIONS)
[[gnu::noinline]] void* operator new(std::size_t size) {
  return counted_allocate(size);
}
[[gnu::noinline]] void* operator new[](std::size_t size) {
  return counted_allocate(size);
}
[[gnu::noinline]] void operator delete(void* pointer) noexcept {
  counted_free(pointer);
}
[[gnu::noinline]] void operator delete[](void* pointer) noexcept {
  counted_free(pointer);
}
[[gnu::noinline]] void operator delete(void* pointer, std::size_t) noexcept {
  counted_free(pointer);
}
[[gnu::noinline]] void operator delete[](void* pointer, std::size_t) noexcept {
  counted_free(pointer);
}
#endif

// The measured part: the probe's run and the rendering of its report. Returns the document's
// length, or 0 when the run ended with a message.
extern "C" [[gnu::noinline]] std::size_t velkaron_bench_measured_run() {
  g_allocations.counting = true;
  const velkaron::probe::ProbeOutcome outcome = velkaron::probe::run_probe(std::nullopt);
  std::size_t length = 0;
  if (outcome) length = velkaron::report::to_pretty_json(*outcome).size();
  g_allocations.counting = false;
  return length;
}

int main(int argc, char** argv) {
  std::uint32_t entries = 0;
  const std::string_view given = argc == 2 ? argv[1] : "";
  const auto parsed = std::from_chars(given.data(), given.data() + given.size(), entries);
  if (given.empty() || parsed.ec != std::errc() || parsed.ptr != given.data() + given.size()) {
    std::fprintf(stderr, "usage: probe_bench ENTRIES\n");
    return 2;
  }

  const velkaron::test_support::world::World world = bench_world(entries);
  velkaron::test_support::ScriptedPlatform platform;
  velkaron::test_support::play(platform, world);
  substitute::ledger().object_calls = false;
  const std::size_t length = velkaron_bench_measured_run();
  if (length == 0) stop("the probe ended with a message instead of a report");
  if (!platform.unreleased().empty() || !substitute::ledger().faults.empty()) {
    stop("the probe left a platform object unreleased or held two input types at once");
  }
  std::printf(
      "entries=%u allocations=%zu allocated_bytes=%zu peak_live_bytes=%zu document_bytes=%zu\n",
      entries, g_allocations.calls, g_allocations.bytes, g_allocations.peak, length);
  return 0;
}
