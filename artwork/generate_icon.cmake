# Makes the program's .ico at build time with a tool compiled for the build machine, so that a cross
# build (where CMAKE_CXX_COMPILER targets Windows) can still run it.
#
#   include(${PROJECT_SOURCE_DIR}/artwork/generate_icon.cmake)
#   vorivevo_generate_icon(VORIVEVO_ICON)
#   # then list ${VORIVEVO_ICON} among the sources of the target that compiles the .rc (or in the .rc
#   # file's OBJECT_DEPENDS) and name it in the .rc, e.g. through configure_file or an RC include path.
#
# The commands' outputs belong to the calling directory, so call it in the directory of that target.
include_guard(GLOBAL)

set(VORIVEVO_ARTWORK_DIR ${CMAKE_CURRENT_LIST_DIR})

function(vorivevo_generate_icon outVar)
  # The host's own compiler: a toolchain file's CMAKE_FIND_ROOT_PATH must not steer this search.
  find_program(VORIVEVO_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)

  set(tool ${CMAKE_CURRENT_BINARY_DIR}/vorivevo_make_icon)
  if(CMAKE_HOST_WIN32)
    string(APPEND tool .exe)
  endif()
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/vorivevo.ico)
  set(sources ${VORIVEVO_ARTWORK_DIR}/make_icon.cpp ${VORIVEVO_ARTWORK_DIR}/icon_file.cpp)

  add_custom_command(
    OUTPUT ${tool}
    COMMAND ${VORIVEVO_HOST_CXX} -std=c++17 -O2 -I${VORIVEVO_ARTWORK_DIR} ${sources} -o ${tool}
    DEPENDS ${sources} ${VORIVEVO_ARTWORK_DIR}/tile_art.h ${VORIVEVO_ARTWORK_DIR}/control_layout.h
            ${VORIVEVO_ARTWORK_DIR}/tool_output.h
    COMMENT "Compiling the icon maker for the build machine"
    VERBATIM)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${tool} ${icon}
    DEPENDS ${tool}
    COMMENT "Drawing vorivevo.ico"
    VERBATIM)

  set(${outVar} ${icon} PARENT_SCOPE)
endfunction()
