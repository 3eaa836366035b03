# Cross-build for 64-bit Windows with clang-19 on Linux, against the mingw-w64 headers and runtime
# that the g++ build uses (the posix thread model's libstdc++, which clang finds by itself); test
# executables run under Wine (cmake/WineTesting.cmake). A second compiler for the same sources.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# That libstdc++ calls the POSIX threads layer: clang links it only when told to.
set(CMAKE_C_FLAGS_INIT -pthread)
set(CMAKE_CXX_FLAGS_INIT -pthread)
# LLVM's linker: GNU ld warns on every link that the typeinfo sections clang emits for the
# library's exception classes differ in size from the library's own copies (it keeps one either way).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-pthread -fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-pthread -fuse-ld=lld")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-pthread -fuse-ld=lld")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
