# add_sleevemaster_module(<target> [OUTPUT_NAME <name>] SOURCES <file>... LIBRARIES <target>...)
# One of the program's modules: a library that the program loads by its name (LoadModuleEntry
# in src/files/program_module.h) only when a run needs it, so that a run which does not never
# loads the libraries it brings. It is built into the module folder and installed there, so the
# built program (and every test program beside it) finds it as the installed one does. Only its
# entry, marked SLEEVEMASTER_MODULE_ENTRY, is visible from outside. The file is
# lib<OUTPUT_NAME>.so (the target's name unless given).
cmake_path(SET SLEEVEMASTER_MODULE_BUILD_DIR NORMALIZE
           "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${SLEEVEMASTER_MODULE_DIR}")
cmake_path(SET SLEEVEMASTER_MODULE_INSTALL_DIR NORMALIZE
           "${CMAKE_INSTALL_BINDIR}/${SLEEVEMASTER_MODULE_DIR}")

function(add_sleevemaster_module target)
  cmake_parse_arguments(PARSE_ARGV 1 MODULE "" "OUTPUT_NAME" "SOURCES;LIBRARIES")
  if(MODULE_UNPARSED_ARGUMENTS OR NOT MODULE_SOURCES)
    message(FATAL_ERROR "add_sleevemaster_module(${target}): unknown "
                        "${MODULE_UNPARSED_ARGUMENTS} or no SOURCES")
  endif()
  if(NOT MODULE_OUTPUT_NAME)
    set(MODULE_OUTPUT_NAME ${target})
  endif()
  add_library(${target} MODULE ${MODULE_SOURCES})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${MODULE_OUTPUT_NAME} PREFIX "lib"
    LIBRARY_OUTPUT_DIRECTORY "${SLEEVEMASTER_MODULE_BUILD_DIR}"
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${target} PRIVATE ${MODULE_LIBRARIES} sleevemaster_policy)
  install(TARGETS ${target} LIBRARY DESTINATION "${SLEEVEMASTER_MODULE_INSTALL_DIR}")
endfunction()
