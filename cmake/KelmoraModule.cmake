# Library modules of src/core/.
#
#   kelmora_module(<name> SOURCES <files>... [DEPENDS <modules>...] [LIBRARIES <targets>...])
#
# builds the static library kelmora-<name>. A module sees the headers of exactly the modules
# it names in DEPENDS: each module gets an include root of its own under the build folder,
# holding one link <name> -> its source folder, and the root travels only to targets that
# link the module directly. `#include "gallery/km_list.h"` from a module that does not
# depend on gallery therefore fails to compile. A module names every module whose headers it
# includes, also those it reaches through another module's headers.
set(KELMORA_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include-roots)
set_property(GLOBAL PROPERTY KELMORA_MODULES "")

function(kelmora_module name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;DEPENDS;LIBRARIES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kelmora_module(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  set(root ${KELMORA_INCLUDE_ROOTS}/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)

  add_library(kelmora-${name} STATIC ${arg_SOURCES})
  target_include_directories(kelmora-${name} PUBLIC ${root})
  target_link_libraries(kelmora-${name} PRIVATE kelmora-warnings ${arg_LIBRARIES})
  foreach(dependency IN LISTS arg_DEPENDS)
    if(NOT TARGET kelmora-${dependency})
      message(FATAL_ERROR "kelmora_module(${name}): module ${dependency} is not defined before it")
    endif()
    target_link_libraries(kelmora-${name} PRIVATE kelmora-${dependency})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KELMORA_MODULES kelmora-${name})
endfunction()
