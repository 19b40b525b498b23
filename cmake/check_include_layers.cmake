# Checks that the folders include one another only downwards, so that no folder includes a folder that
# includes it back. Each folder has a layer; a file may include headers of its own folder and of folders
# in lower layers, never of a folder in its own layer or above. Prints every include between folders.
#
#   cmake -DSOURCE_DIR=<the project's root> -P cmake/check_include_layers.cmake
#
# The practice client is a program of its own: its files find headers only in its folders and in
# client-model, and nothing else finds headers there, except in its portable mark-up reader, which the
# unit tests check on Linux.

cmake_minimum_required(VERSION 3.20)

# Folder, then layer.
set(layers
  automation 0
  artwork 0
  client-model 0
  practice-client/markup 0
  announcer 1
  practice-client 1
  platform/sim 2
  practice-client/tests 2
  practice-client/probe 2
  platform/win32 3
  tests/support 3
  tests/contract 4
  tests/e2e/probe 4
  platform/win32/tests 5
  tests/unit 5
  bench 5)

# The simulated desktop implements the announcer's seams but must not reach its logic.
set(simAllowedFromAnnouncer announcer_view.h window_events.h window_controls.h)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "set SOURCE_DIR to the project's root")
endif()

set(folders "")
while(layers)
  list(POP_FRONT layers folder layer)
  list(APPEND folders ${folder})
  set(layerOf_${folder} ${layer})
endwhile()

# Every folder with sources has a layer, so that a new one cannot slip past the check.
file(GLOB_RECURSE allSources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source IN LISTS allSources)
  get_filename_component(folder ${source} DIRECTORY)
  if(NOT folder MATCHES "^(build|\\.)" AND NOT folder IN_LIST folders)
    message(FATAL_ERROR "${source}: its folder has no layer in ${CMAKE_CURRENT_LIST_FILE}")
  endif()
endforeach()

# Where each header lives.
foreach(folder IN LISTS folders)
  file(GLOB headers RELATIVE ${SOURCE_DIR}/${folder} ${SOURCE_DIR}/${folder}/*.h)
  foreach(header IN LISTS headers)
    list(APPEND foldersOf_${header} ${folder})
  endforeach()
endforeach()

# Folders that both sides may include.
set(sharedFolders client-model practice-client/markup)

function(is_practice folder outVar)
  if(folder MATCHES "^practice-client" OR folder STREQUAL "client-model")
    set(${outVar} TRUE PARENT_SCOPE)
  else()
    set(${outVar} FALSE PARENT_SCOPE)
  endif()
endfunction()

set(edges "")
set(failures "")
foreach(folder IN LISTS folders)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  is_practice(${folder} fromPractice)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH sourceName ${SOURCE_DIR} ${source})
    file(STRINGS ${source} includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      set(candidates "")
      if(header MATCHES "/")
        # A path from the including file's folder.
        get_filename_component(target ${SOURCE_DIR}/${folder}/${header} ABSOLUTE)
        get_filename_component(targetFolder ${target} DIRECTORY)
        file(RELATIVE_PATH targetFolder ${SOURCE_DIR} ${targetFolder})
        get_filename_component(header ${target} NAME)
        if(EXISTS ${target} AND targetFolder IN_LIST folders)
          set(candidates ${targetFolder})
        endif()
      elseif(${folder} IN_LIST foldersOf_${header})
        set(candidates ${folder})
      else()
        foreach(candidate IN LISTS foldersOf_${header})
          is_practice(${candidate} toPractice)
          if(fromPractice STREQUAL toPractice OR candidate IN_LIST sharedFolders)
            list(APPEND candidates ${candidate})
          endif()
        endforeach()
      endif()
      list(LENGTH candidates found)
      if(found EQUAL 0)
        list(APPEND failures "${sourceName}: no folder has \"${header}\"")
        continue()
      elseif(found GREATER 1)
        list(APPEND failures "${sourceName}: \"${header}\" is in ${candidates}")
        continue()
      endif()
      if(candidates STREQUAL folder)
        continue()
      endif()
      list(APPEND edges "${folder} -> ${candidates}")
      if(NOT layerOf_${candidates} LESS layerOf_${folder})
        list(APPEND failures
          "${sourceName} (layer ${layerOf_${folder}}) includes ${candidates}/${header} (layer ${layerOf_${candidates}})")
      endif()
      if(folder STREQUAL "platform/sim" AND candidates STREQUAL "announcer"
         AND NOT header IN_LIST simAllowedFromAnnouncer)
        list(APPEND failures "${sourceName} includes the announcer's logic (${header}), not only its seams")
      endif()
    endforeach()
  endforeach()
endforeach()

list(REMOVE_DUPLICATES edges)
list(SORT edges)
foreach(edge IN LISTS edges)
  message(STATUS "${edge}")
endforeach()
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "includes against the layers:\n  ${text}")
endif()
message(STATUS "no folder includes one in its own layer or above: no include cycle between folders")
