# The Windows build: the same core floors as on Linux with the ODBC engine alone (no SQLite library exists for
# mingw here), the in-process COM server TARVENISH.dll, and the core's test programs that need no embedded
# engine. Included by the top CMakeLists when cross-building with cmake/toolchain-mingw-*.cmake.

# Header-only pieces of the Linux machine's packages, reached through a folder that holds them alone, so that
# no Linux system header stands in for a Windows one.
set(TARVENISH_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${TARVENISH_HOST_HEADERS})
foreach(header fmt nlohmann sqlite3.h)
  if(NOT EXISTS ${TARVENISH_HOST_HEADERS}/${header})
    file(CREATE_LINK /usr/include/${header} ${TARVENISH_HOST_HEADERS}/${header} SYMBOLIC)
  endif()
endforeach()
add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt INTERFACE ${TARVENISH_HOST_HEADERS})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY=1)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${TARVENISH_HOST_HEADERS})
# Only SQLite's result codes and names are used: the statements reach SQLite through the ODBC driver.
add_library(SQLite::SQLite3 INTERFACE IMPORTED)
target_include_directories(SQLite::SQLite3 INTERFACE ${TARVENISH_HOST_HEADERS})
# Windows' ODBC headers need <windows.h> before them, which the portable sources do not include.
set(TARVENISH_ODBC_HEADERS ${CMAKE_BINARY_DIR}/odbc-headers)
foreach(header sql.h sqlext.h sqltypes.h sqlucode.h)
  file(WRITE ${TARVENISH_ODBC_HEADERS}/${header} "#pragma once\n#include <windows.h>\n#include_next <${header}>\n")
endforeach()
add_library(ODBC::ODBC INTERFACE IMPORTED)
target_include_directories(ODBC::ODBC INTERFACE ${TARVENISH_ODBC_HEADERS})
target_link_libraries(ODBC::ODBC INTERFACE odbc32)
find_package(Threads REQUIRED)

# The Windows seams call the wide-character APIs by their W names; the ODBC engine speaks the narrow API, whose
# bytes reach the driver as they are. A DLL and its programs carry their runtime inside.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)
add_link_options(-static -static-libgcc -static-libstdc++)

enable_language(RC)
include(cmake/Floors.cmake)

tarvenish_floor(tarvenish_base FOLDERS base LINKS fmt::fmt nlohmann_json::nlohmann_json Threads::Threads)
tarvenish_floor(tarvenish_sql FOLDERS ledger/sql LINKS tarvenish_base)
tarvenish_floor(tarvenish_db FOLDERS ledger/db LINKS tarvenish_sql SQLite::SQLite3 ODBC::ODBC)
tarvenish_floor(tarvenish_dialect FOLDERS ledger/dialect LINKS tarvenish_db SQLite::SQLite3)
# Of the embedded engine only what the floors above ask of it: a file copy and SQLite's clock, neither of
# which a build without SQLite can have.
tarvenish_floor(tarvenish_sqlite
                FILES ledger/sqlite/backup.h ledger/sqlite/statement_clock.h ledger/sqlite/no_engine_win32.cpp
                LINKS tarvenish_dialect)
tarvenish_floor(tarvenish_odbc FOLDERS ledger/odbc LINKS tarvenish_dialect ODBC::ODBC)
tarvenish_floor(tarvenish_ledger FILES ledger/engines_win32.cpp ledger/engines.h LINKS tarvenish_sqlite tarvenish_odbc)
tarvenish_floor(tarvenish_component FOLDERS component LINKS tarvenish_ledger)
tarvenish_floor(tarvenish_checks FOLDERS checks LINKS tarvenish_ledger)
tarvenish_floor(tarvenish_reconcile FOLDERS reconcile LINKS tarvenish_component)
tarvenish_floor(tarvenish_dialog FOLDERS dialog LINKS tarvenish_component)
tarvenish_floor(tarvenish_automation FOLDERS automation LINKS tarvenish_ledger)
target_include_directories(tarvenish_automation PUBLIC ${CMAKE_SOURCE_DIR}/include)
# The version record is the DLL's version resource, read through the version API.
target_link_libraries(tarvenish_automation PUBLIC version)
tarvenish_floor(tarvenish_component_class FOLDERS component_class
                LINKS tarvenish_checks tarvenish_reconcile tarvenish_automation)
tarvenish_floor(tarvenish_headless FOLDERS platform/headless FILES platform/display.cpp platform/display.h
                LINKS tarvenish_dialog)
# The suite's controls, the adjustment dialog and the message boxes over Win32.
tarvenish_floor(tarvenish_win32 FOLDERS platform/win32 LINKS tarvenish_headless user32 gdi32 comctl32 ole32)
# The library's settings, presenters and its JustAccount, shared with the Linux library's folder.
tarvenish_floor(tarvenish_library
                FILES platform/dll/library_just_account.cpp platform/dll/library_just_account.h
                      platform/dll/library_presenters.cpp platform/dll/library_presenters.h
                      platform/dll/library_settings.cpp platform/dll/library_settings.h
                      platform/dll/window_presenters_win32.cpp platform/dll/window_presenters.h
                LINKS tarvenish_component_class tarvenish_headless tarvenish_win32)

# The message files lie beside the DLL, in share/tarvenish, as the library looks for them there.
set(TARVENISH_BUILD_RESOURCE_DIR ${CMAKE_BINARY_DIR}/share/tarvenish)
file(GLOB TARVENISH_MESSAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/messages.*.txt)
foreach(message_file ${TARVENISH_MESSAGE_FILES})
  get_filename_component(message_name ${message_file} NAME)
  configure_file(${message_file} ${TARVENISH_BUILD_RESOURCE_DIR}/${message_name} COPYONLY)
endforeach()

add_subdirectory(platform/com)

if(TARVENISH_BUILD_TESTS)
  add_subdirectory(tests/windows)
endif()
