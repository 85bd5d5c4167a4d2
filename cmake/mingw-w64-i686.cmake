# Cross-build for 32-bit Windows with mingw-w64 (posix thread model, like the 64-bit build).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VELT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELT_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Windows test programs run under Wine in the project's own prefix (its 32-bit half: wine32),
# where this machine runs 32-bit programs at all; elsewhere they are only built (a kernel
# without 32-bit support cannot start them, under Wine or not).
if(CMAKE_HOST_UNIX)
    execute_process(
        COMMAND bash -c "source \"$0\" && velt_runs_i386" ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/common.sh
        RESULT_VARIABLE velt_runs_i386 OUTPUT_QUIET ERROR_QUIET)
    if(velt_runs_i386 EQUAL 0)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
    endif()
endif()
