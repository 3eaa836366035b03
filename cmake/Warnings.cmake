# Every target of this project compiles with all warnings as errors.
add_library(velkaron_warnings INTERFACE)
if(MSVC)
  target_compile_options(velkaron_warnings INTERFACE /W4 /WX /permissive- /utf-8)
else()
  target_compile_options(velkaron_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
endif()
