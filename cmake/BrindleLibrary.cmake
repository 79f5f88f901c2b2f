# brindle_library(<folder-name> [LINKS <targets>...] [PRIVATE_LINKS <targets>...]
#                 [EXCLUDE <files>...])
# Builds every .cpp/.h of the calling folder into the static library
# brindle_<folder-name>; adding a source file needs no edit here. LINKS are
# what its headers include, PRIVATE_LINKS what only its sources include, so a
# folder that includes a header of a library it does not link fails to build.
function(brindle_library name)
  cmake_parse_arguments(ARG "" "" "LINKS;PRIVATE_LINKS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    # A folder whose code has not been written yet still offers its headers' path.
    add_library(brindle_${name} INTERFACE)
    target_include_directories(brindle_${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(brindle_${name} INTERFACE ${ARG_LINKS})
    return()
  endif()
  add_library(brindle_${name} STATIC ${sources})
  target_include_directories(brindle_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(brindle_${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  target_compile_options(brindle_${name} PRIVATE -Wall -Wextra)
endfunction()

# brindle_test(<folder-name> [LINKS <targets>...] [SET_ENVIRONMENT <NAME=value>])
# One GoogleTest binary per test folder, from all its .cpp files, run by CTest
# on the offscreen platform, with one more environment variable where given.
function(brindle_test name)
  cmake_parse_arguments(ARG "" "SET_ENVIRONMENT" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE brindle_testsupport ${ARG_LINKS})
  target_compile_options(test_${name} PRIVATE -Wall -Wextra)
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  if(ARG_SET_ENVIRONMENT)
    string(REGEX REPLACE "^([^=]*)=" "\\1=set:" modification "${ARG_SET_ENVIRONMENT}")
    list(APPEND properties ENVIRONMENT_MODIFICATION "${modification}")
  endif()
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
