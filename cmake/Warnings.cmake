# Every target of this project compiles with all warnings as errors. The options are limited to
# C and C++ sources: the resource compiler (windres, rc) takes none of them.
#
# No -Wnon-virtual-dtor: COM interfaces have virtual functions and, by the ABI, no virtual
# destructor. The fault that warning guards against, deleting through a base pointer without a
# virtual destructor, is still an error through -Wdelete-non-virtual-dtor (part of -Wall).
add_library(velkaron_warnings INTERFACE)
if(MSVC)
  target_compile_options(velkaron_warnings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:/W4 /WX /permissive- /utf-8>)
else()
  target_compile_options(velkaron_warnings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion
    -Wsign-conversion -Wold-style-cast -Woverloaded-virtual>)
endif()
