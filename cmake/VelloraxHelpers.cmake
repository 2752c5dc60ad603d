# Small helpers so each subsystem's CMakeLists.txt stays a few lines long.

# vx_add_library(<name> SOURCES <files...> [DEPS <targets...>])
# A static core library for one subsystem folder; private headers are reached as
# "<subsystem>/<file>.h" from src/, public ones as "vellorax/<file>.h".
function(vx_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vx_add_test(<name> SOURCES <files...> [DEPS <targets...>])
# One GoogleTest executable registered with CTest; tests run from the source tree
# root so fixtures are found as tests/data/...
function(vx_add_test name)
  if(NOT VX_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "VX_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# vx_add_bench(<name> SOURCES <files...> [DEPS <targets...>])
function(vx_add_bench name)
  if(NOT VX_BUILD_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE VX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# vx_add_fuzzer(<name> SOURCES <files...> [DEPS <targets...>])
function(vx_add_fuzzer name)
  if(NOT VX_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# vx_add_subsystem(<name> [DEPS <targets...>])
# A subsystem folder whose every *.cpp belongs to the library vx_<name> and
# every *_test.cpp to its one test executable vx_<name>_tests, so new units
# need no edit of its CMakeLists.txt.
function(vx_add_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  vx_add_library(vx_${name} SOURCES ${sources} DEPS ${ARG_DEPS})
  if(tests)
    vx_add_test(vx_${name}_tests SOURCES ${tests} DEPS vx_${name})
  endif()
endfunction()
