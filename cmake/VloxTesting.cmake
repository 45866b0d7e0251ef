# Test, fuzzer and benchmark targets. One ctest entry per test executable: under Wine each
# start costs a fresh prefix.
include_guard(GLOBAL)

if(NOT VLOX_FUZZ AND NOT VLOX_BENCH)
  enable_testing()
  if(WIN32)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(VLOX_GTEST_MAIN gtest_main)
    set(VLOX_GMOCK gmock)
  else()
    find_package(GTest REQUIRED)
    set(VLOX_GTEST_MAIN GTest::gtest_main)
    set(VLOX_GMOCK GTest::gmock)
  endif()
endif()

# Every test, fuzzer and benchmark names the libraries of what it tests in LIBS: a module's
# test links that module's library (vlox_settings ... vlox_ui, qzdaapi32_core, standins_core),
# and so only what the module may use. Nothing is linked by default.

# vlox_test(name SOURCES ... LIBS ...): a portable test, built and run by both presets
# (natively, and under Wine, which catches 16-bit wchar_t and runtime differences).
function(vlox_test name)
  if(VLOX_FUZZ OR VLOX_BENCH)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${VLOX_GTEST_MAIN} ${VLOX_GMOCK})
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# vlox_win_test(name SOURCES ... [LIBS ...] [LABELS ...]): a test of Win32 behaviour, built
# only by the win32 preset and run under Wine on its own virtual display.
function(vlox_win_test name)
  if(NOT WIN32 OR VLOX_FUZZ OR VLOX_BENCH)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${VLOX_GTEST_MAIN} ${VLOX_GMOCK})
  add_test(NAME ${name} COMMAND ${name})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# vlox_e2e_test(name SOURCES ... [LIBS ...] [PROGRAMS ...]): an end-to-end test that drives
# programs from outside under Wine (tests/e2e/harness): it links the harness, is labelled
# e2e, reads recorded inputs from the source tree (VLOX_SOURCE_DIR), and is built after the
# hook DLL and the programs it starts (V-LOX unless PROGRAMS names others).
function(vlox_e2e_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROGRAMS" ${ARGN})
  vlox_win_test(${name} SOURCES ${T_SOURCES} LIBS e2e_harness ${T_LIBS} LABELS e2e)
  if(NOT TARGET ${name})
    return()
  endif()
  if(NOT T_PROGRAMS)
    set(T_PROGRAMS V-LOX)
  endif()
  add_dependencies(${name} e2e_hook ${T_PROGRAMS})
  target_compile_definitions(${name} PRIVATE VLOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endfunction()

# vlox_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target (fuzz preset); tools/test runs each one
# for a few seconds.
function(vlox_fuzzer name)
  if(NOT VLOX_FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
endfunction()

# vlox_benchmark(name SOURCES ... LIBS ...): a Google Benchmark program over the portable code.
function(vlox_benchmark name)
  if(NOT VLOX_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchmarks)
endfunction()
