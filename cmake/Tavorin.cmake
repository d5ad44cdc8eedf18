# Build conventions shared by every folder.

find_package(PkgConfig REQUIRED)

if(TAVORIN_SANITIZE)
  # Line tables only (-g1, which wins over the build type's -g): enough for the sanitizers'
  # reports to name each frame's file and line; full debug information made the build a
  # quarter larger and its links slower.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=address,undefined)
  # Each sanitizer check keeps a record of where it stands, and the address checker pads each
  # record: a third of every test program was the table of relocations to those records.
  # Packed relative relocations store that table in a few bytes per page, so that a clean
  # build fits a small disk.
  add_link_options(-Wl,-z,pack-relative-relocs)
  # The line tables compressed, in the objects and the programs (the sanitizers' symbolizer,
  # gdb and valgrind read them so).
  add_compile_options(-gz)
  add_link_options(-gz)
endif()

# Warnings for the project's own targets (not for third-party code).
add_library(tavorin_warnings INTERFACE)
target_compile_options(tavorin_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter)
# GCC 12 takes the inlined std::string concatenations of an optimised build for overlapping
# copies (its own false alarm, gone in GCC 13); nothing in this code overlaps.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tavorin_warnings INTERFACE -Wno-restrict)
endif()

# Where the program finds its resources (look images, icons) when run from the build tree.
set(TAVORIN_RESOURCE_DIR "${CMAKE_SOURCE_DIR}/resources")

# tavorin_library(name SOURCES ... [DEPS ...]): a static library of the project.
function(tavorin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE tavorin_warnings)
endfunction()

# tavorin_test(name SOURCES ... [DEPS ...] [GL] [PREFIX text]): a GoogleTest executable registered
# with CTest. GL marks tests that need a real OpenGL ES context (label "gl"); the others are pure.
# PREFIX goes before each case's name in CTest, so that a group of executables' cases can be run
# by name alone.
function(tavorin_test name)
  cmake_parse_arguments(ARG "GL" "PREFIX" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                        tavorin_warnings)
  target_compile_definitions(${name} PRIVATE
    TAVORIN_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    TAVORIN_RESOURCE_DIR="${TAVORIN_RESOURCE_DIR}")
  if(ARG_GL)
    set(labels gl)
  else()
    set(labels unit)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${labels}"
                       DISCOVERY_TIMEOUT 60 TEST_PREFIX "${ARG_PREFIX}")
endfunction()

# tavorin_link_closure(target out): the project libraries `target` links, directly or through
# other libraries.
function(tavorin_link_closure target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(NOT TARGET ${current} OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(libraries ${current} LINK_LIBRARIES)
    if(libraries)
      list(APPEND queue ${libraries})
    endif()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(tavorin_check_links target)
  tavorin_link_closure(${target} closure)
  foreach(library IN LISTS ARGN)
    if(library IN_LIST closure)
      message(FATAL_ERROR "${target} must not link ${library} (it links: ${closure})")
    endif()
  endforeach()
endfunction()

# tavorin_forbid_links(target library...): configuring fails when `target` links any of the
# libraries, directly or through another one. Checked once every folder is configured, so
# that libraries defined later are seen.
function(tavorin_forbid_links target)
  # A deferred call reads its variables when it runs: the names are written into it now.
  string(JOIN " " libraries ${ARGN})
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL tavorin_check_links ${target} ${libraries})")
endfunction()
