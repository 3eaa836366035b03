# The mingw-w64 libstdc++ must be the posix thread model's: the win32 model's has no std::mutex,
# which GoogleTest needs, and which compiler picks which model depends on the toolchain file.
# Checked here, once per build folder, so that a wrong pick stops the configure step by name.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles([[
#include <mutex>
#if !defined(_GLIBCXX_HAS_GTHREADS) || !defined(_GLIBCXX_GCC_GTHR_POSIX_H)
#error the win32 thread model's libstdc++
#endif
int main() {
  std::mutex m;
  const std::lock_guard lock(m);
}
]] VELKARON_POSIX_THREAD_MODEL)
if(NOT VELKARON_POSIX_THREAD_MODEL)
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} uses the win32 thread model's libstdc++ (no std::mutex): "
                      "this build needs the posix one, from the Debian package "
                      "g++-mingw-w64-x86-64-posix (see cmake/MingwThreadModel.cmake)")
endif()
