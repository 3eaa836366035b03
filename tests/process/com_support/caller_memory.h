#pragma once

// Memory that a fixture allocates with the COM task allocator and hands to its
// caller, who must free it with CoTaskMemFree exactly once (the activation
// array, an allocated string). Once watch_caller_memory() has installed a
// malloc spy, each such block is in the object ledger from its allocation to
// its free, and a second free of it is recorded as misuse instead of reaching
// the heap.

#include <cstddef>
#include <string_view>

namespace velkaron::wine_test {

void* allocate_for_caller(std::size_t bytes, std::string_view kind);
// Registers the malloc spy; false when COM refuses it.
bool watch_caller_memory();

}  // namespace velkaron::wine_test
