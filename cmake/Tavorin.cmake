# Build conventions shared by every folder.

find_package(PkgConfig REQUIRED)

if(TAVORIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for the project's own targets (not for third-party code).
add_library(tavorin_warnings INTERFACE)
target_compile_options(tavorin_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter)

# Where the program finds its resources (look images, icons) when run from the build tree.
set(TAVORIN_RESOURCE_DIR "${CMAKE_SOURCE_DIR}/resources")

# tavorin_library(name SOURCES ... [DEPS ...]): a static library of the project.
function(tavorin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE tavorin_warnings)
endfunction()

# tavorin_test(name SOURCES ... [DEPS ...] [GL]): a GoogleTest executable registered with CTest.
# GL marks tests that need a real OpenGL ES context (label "gl"); the others are pure.
function(tavorin_test name)
  cmake_parse_arguments(ARG "GL" "" "SOURCES;DEPS" ${ARGN})
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
                       DISCOVERY_TIMEOUT 60)
endfunction()
