# The same program for 64-bit Windows, and the test vehicle on hosts that
# cannot execute 32-bit code.
set(VEXA_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
