# Cross-building TARVENISH.dll for 32-bit hosts (the suite itself is a 32-bit program) with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARVENISH_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
