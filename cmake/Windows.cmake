# Settings shared by the mingw-w64 builds of qorvel.dll and the Windows test programs.

# Link libgcc, libstdc++ and winpthread in, so nothing but system DLLs is imported.
add_link_options(-static -static-libgcc -static-libstdc++)
# Windows 7 is the oldest system the add-in supports; COM classes see UNICODE APIs.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE
    WIN32_LEAN_AND_MEAN NOMINMAX)

find_program(TARVEX_WIDL NAMES ${TARVEX_TOOLCHAIN_PREFIX}-widl widl REQUIRED)
find_program(TARVEX_OBJDUMP NAMES ${TARVEX_TOOLCHAIN_PREFIX}-objdump objdump REQUIRED)

# The IDL files widl needs for the type library come with Wine's development package.
set(TARVEX_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH
    "Folder with the Windows IDL files (oaidl.idl...)")
if(NOT EXISTS ${TARVEX_WINE_IDL_DIR}/oaidl.idl)
    message(FATAL_ERROR "oaidl.idl not found in ${TARVEX_WINE_IDL_DIR}: install libwine-dev")
endif()
# The type library imports stdole2.tlb, which Wine ships as a built type library.
find_path(TARVEX_WINE_TLB_DIR stdole2.tlb
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
          /usr/lib/i386-linux-gnu/wine/i386-windows
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TARVEX_WINE_TLB_DIR)
    message(FATAL_ERROR "stdole2.tlb not found: install wine64")
endif()

# Tests of the Windows build run under Wine, through scripts/wine-run.sh, each test run in
# its own Wine prefix inside the build tree.
set(TARVEX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh --prefix ${TARVEX_WINEPREFIX})
