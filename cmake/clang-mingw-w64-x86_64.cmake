# Cross-build for 64-bit Windows with clang-19 on Linux, against the mingw-w64 headers and runtime
# that the g++ build uses; test executables run under Wine (cmake/WineTesting.cmake). A second
# compiler for the same sources.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# windres preprocesses with x86_64-w64-mingw32-gcc unless told otherwise, which is whichever
# thread model update-alternatives points at: the posix one, like everything else here.
set(CMAKE_RC_FLAGS_INIT "--preprocessor=x86_64-w64-mingw32-gcc-posix --preprocessor-arg=-E \
--preprocessor-arg=-xc-header --preprocessor-arg=-DRC_INVOKED")

# The posix thread model's libstdc++, named outright. Left to itself, clang's MinGW driver takes
# the first GCC folder of the highest version that the directory listing returns, and Debian's
# 12-win32 and 12-posix have the same version: on some machines that is the win32 library, which
# has no std::mutex. --gcc-install-dir is not honoured by that driver; what is: -nostdinc++ with
# the folders given, -L (searched before the driver's own folders) and -B (where crtbegin.o and
# crtend.o are looked up first). The top CMakeLists.txt checks the outcome.
file(GLOB velkaron_posix_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(SORT velkaron_posix_gcc_dirs COMPARE NATURAL ORDER DESCENDING)
set(VELKARON_POSIX_GCC_DIR "")
if(velkaron_posix_gcc_dirs)
  list(GET velkaron_posix_gcc_dirs 0 VELKARON_POSIX_GCC_DIR)
endif()
if(NOT IS_DIRECTORY "${VELKARON_POSIX_GCC_DIR}/include/c++")
  message(FATAL_ERROR "The posix thread model's mingw-w64 C++ library is missing (no "
                      "/usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++): install the Debian "
                      "package g++-mingw-w64-x86-64-posix")
endif()
set(velkaron_cxx_headers "${VELKARON_POSIX_GCC_DIR}/include/c++")
string(JOIN " " velkaron_cxx_library_flags -nostdinc++
       "-isystem ${velkaron_cxx_headers}"
       "-isystem ${velkaron_cxx_headers}/x86_64-w64-mingw32"
       "-isystem ${velkaron_cxx_headers}/backward")
set(velkaron_runtime_flags "-L${VELKARON_POSIX_GCC_DIR} -B${VELKARON_POSIX_GCC_DIR}/")

# That libstdc++ calls the POSIX threads layer: clang links it only when told to.
set(CMAKE_C_FLAGS_INIT -pthread)
set(CMAKE_CXX_FLAGS_INIT "-pthread ${velkaron_cxx_library_flags}")
# LLVM's linker: GNU ld warns on every link that the typeinfo sections clang emits for the
# library's exception classes differ in size from the library's own copies (it keeps one either way).
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-pthread -fuse-ld=lld ${velkaron_runtime_flags}")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
