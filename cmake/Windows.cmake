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

# What ships carries no symbols: they go into a file of their own beside the DLL, for reading
# crash reports.
find_program(TARVEX_OBJCOPY NAMES ${TARVEX_TOOLCHAIN_PREFIX}-objcopy REQUIRED)
find_program(TARVEX_STRIP NAMES ${TARVEX_TOOLCHAIN_PREFIX}-strip REQUIRED)

# Authenticode signing of qorvel.dll and the packages, by scripts/sign.sh, when a
# code-signing certificate is given. Its password comes from the environment variable
# TARVEX_SIGN_PASSWORD at build time, never from the cache.
set(TARVEX_SIGN_PFX "" CACHE FILEPATH
    "PKCS#12 file with the code-signing certificate and its key; empty: nothing is signed")
set(TARVEX_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 time-stamp server for the signatures (optional)")
set(TARVEX_SIGN_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/sign.sh)
if(TARVEX_SIGN_PFX)
    if(NOT EXISTS ${TARVEX_SIGN_PFX})
        message(FATAL_ERROR "TARVEX_SIGN_PFX: ${TARVEX_SIGN_PFX} does not exist")
    endif()
    find_program(TARVEX_OSSLSIGNCODE osslsigncode REQUIRED)
    message(STATUS "Signing qorvel.dll and the packages with ${TARVEX_SIGN_PFX} "
        "(password from TARVEX_SIGN_PASSWORD)")
else()
    message(STATUS "No code-signing certificate (-DTARVEX_SIGN_PFX): "
        "qorvel.dll and the packages are not signed")
endif()

# tarvex_sign_command(VAR FILE): in VAR, the COMMAND that signs FILE in place, or nothing
# when no certificate is configured.
function(tarvex_sign_command var file)
    if(TARVEX_SIGN_PFX)
        set(${var} COMMAND ${TARVEX_SIGN_SCRIPT} ${file} ${TARVEX_SIGN_PFX} ${PROJECT_NAME}
            ${TARVEX_SIGN_TIMESTAMP_URL} PARENT_SCOPE)
    else()
        set(${var} "" PARENT_SCOPE)
    endif()
endfunction()
