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
# Windows test programs run under Wine in the project's own prefix where Wine's 32-bit half
# (wine32) is usable; elsewhere they are only built. scripts/test decides it on every run
# (VELT_RUN_WIN32, since wine32 may come or go between runs); a configure by hand probes once.
if(CMAKE_HOST_UNIX)
    if(NOT DEFINED VELT_RUN_WIN32)
        execute_process(
            COMMAND bash -c "source \"$0\" && velt_wine32_usable" ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/common.sh
            RESULT_VARIABLE velt_wine32_usable OUTPUT_QUIET ERROR_QUIET)
        if(velt_wine32_usable EQUAL 0)
            set(VELT_RUN_WIN32 ON CACHE BOOL "Run the 32-bit program's tests under Wine")
        else()
            set(VELT_RUN_WIN32 OFF CACHE BOOL "Run the 32-bit program's tests under Wine")
        endif()
    endif()
    if(VELT_RUN_WIN32)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
    endif()
endif()
