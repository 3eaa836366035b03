# Cross-build for 64-bit Windows with mingw-w64 on Linux; test executables run under Wine
# (the Wine prefix and emulator are set in cmake/WineTesting.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: the win32 one has no std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# windres preprocesses with x86_64-w64-mingw32-gcc unless told otherwise, which is whichever
# thread model update-alternatives points at: the posix one, like everything else here.
set(CMAKE_RC_FLAGS_INIT "--preprocessor=x86_64-w64-mingw32-gcc-posix --preprocessor-arg=-E \
--preprocessor-arg=-xc-header --preprocessor-arg=-DRC_INVOKED")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

