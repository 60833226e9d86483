# Compile through ccache when it is installed, so repeated builds on one machine are quick.
# Paths below the source folder are hashed relative to it (base_dir) and the build folder
# is not hashed (hash_dir off), so that another clone of the tree, in another folder, hits
# the objects this one left. (The debug information of such an object names the folder of
# the build that compiled it first.) In depend mode a miss costs one compile: ccache learns the
# included files from the compiler's dependency file instead of running the preprocessor too.
find_program(TARVEX_CCACHE ccache)
if(TARVEX_CCACHE)
    set(tarvex_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
        CCACHE_NOHASHDIR=true CCACHE_DEPEND=true ${TARVEX_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${tarvex_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${tarvex_launcher})
endif()
