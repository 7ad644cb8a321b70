# Warnings are set on each target, not for the whole tree, so that a target
# built from outside code (a generated file, a test framework) can choose its
# own. CI turns warnings into errors with -DSUITE_WERROR=ON.
option(SUITE_WERROR "Treat compiler warnings as errors" OFF)

function(suite_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  if(SUITE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# The same for every target a folder defines, for folders whose own
# CMakeLists.txt does not say it for each.
function(suite_directory_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "UTILITY" AND NOT type STREQUAL "INTERFACE_LIBRARY")
      suite_target_warnings(${target})
    endif()
  endforeach()
endfunction()
