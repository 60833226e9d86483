# Compile through ccache when it is installed, so repeated builds on one machine are quick.
find_program(TARVEX_CCACHE ccache)
if(TARVEX_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER ${TARVEX_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${TARVEX_CCACHE})
endif()
