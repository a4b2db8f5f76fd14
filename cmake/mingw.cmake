# Cross-compiling the Windows executables with MinGW-w64, for the processor
# that the including toolchain file names in VEXA_MINGW_PROCESSOR. The posix
# thread model gives GoogleTest the std::mutex it needs; with -static
# nothing of it is left for the executables to load at run time.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VEXA_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${VEXA_MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXA_MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${VEXA_MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VEXA_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the test executables under Wine, in the project's own prefix,
# with the loader that matches the executable.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
