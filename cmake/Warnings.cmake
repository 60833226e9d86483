# tarvex_warnings: the warning set every target of the project compiles with.
add_library(tarvex_warnings INTERFACE)
target_compile_options(tarvex_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wunused
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
# COM interfaces have no virtual destructor by design (objects free themselves in Release),
# so the check is left to the native builds, which compile all the portable code.
if(NOT WIN32)
    target_compile_options(tarvex_warnings INTERFACE -Wnon-virtual-dtor)
endif()
if(TARVEX_WERROR)
    target_compile_options(tarvex_warnings INTERFACE -Werror)
endif()
