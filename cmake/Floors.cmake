# One static library per source folder. Its headers reach other targets only through a directory of its own
# that holds a link to the folder alone, so a file that includes a folder its target does not link fails to
# compile: the floors of cmake/floors.txt are kept by the build, not by review.

set(TARVENISH_FLOORS_DIR ${CMAKE_BINARY_DIR}/floors)

# Makes `target`'s headers reachable as "<path>/..." for each path of EXPOSE (a folder or a file, relative to
# the source directory), and only those.
function(tarvenish_expose target visibility)
  set(root ${TARVENISH_FLOORS_DIR}/${target})
  foreach(path ${ARGN})
    get_filename_component(parent ${root}/${path} DIRECTORY)
    # A build tree made when a folder was exposed whole holds a link to it where its files are exposed now:
    # writing through that link would replace the source files themselves.
    set(ancestor ${root})
    string(REPLACE "/" ";" steps "${path}")
    foreach(step ${steps})
      set(ancestor ${ancestor}/${step})
      if(IS_SYMLINK ${ancestor} AND NOT ancestor STREQUAL "${root}/${path}")
        file(REMOVE ${ancestor})
      endif()
    endforeach()
    file(MAKE_DIRECTORY ${parent})
    file(REMOVE ${root}/${path})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${visibility} ${root})
endfunction()

# tarvenish_floor(<target> FOLDERS <folder>... [FILES <source>...] [LINKS <target>...])
# A static library of the folders' .cpp files (not their subfolders; of the platform seams only this
# platform's) and the extra FILES, exposing the folders and the FILES' headers, linking LINKS publicly.
function(tarvenish_floor target)
  cmake_parse_arguments(FLOOR "" "" "FOLDERS;FILES;LINKS" ${ARGN})
  set(sources "")
  set(exposed ${FLOOR_FOLDERS})
  foreach(folder ${FLOOR_FOLDERS})
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    # A platform's seam is one file per platform: `*_posix.cpp` or `*_win32.cpp`, the build's own one kept.
    if(WIN32)
      list(FILTER folder_sources EXCLUDE REGEX "_posix\\.cpp$")
    else()
      list(FILTER folder_sources EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    list(APPEND sources ${folder_sources})
  endforeach()
  foreach(file ${FLOOR_FILES})
    list(APPEND sources ${CMAKE_SOURCE_DIR}/${file})
    if(file MATCHES "\\.h$")
      list(APPEND exposed ${file})
    endif()
  endforeach()
  add_library(${target} STATIC ${sources})
  tarvenish_expose(${target} PUBLIC ${exposed})
  target_link_libraries(${target} PUBLIC ${FLOOR_LINKS})
endfunction()
