# Project-wide compile settings and the helpers that declare tests, fuzz targets and benchmarks.

add_library(marovin_options INTERFACE)
target_compile_options(marovin_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # At -O3, g++ 12 reports overlaps, overflows, overreads and out-of-bounds copies inside
  # libstdc++'s own string concatenation and vector insertion that cannot happen; the sanitizer
  # build checks those accesses for real.
  target_compile_options(marovin_options INTERFACE $<$<CONFIG:Release>:-Wno-restrict
    -Wno-stringop-overflow -Wno-stringop-overread -Wno-array-bounds>)
endif()
if(MAROVIN_WERROR)
  target_compile_options(marovin_options INTERFACE -Werror)
endif()
if(MAROVIN_LIBFUZZER)
  # Every library is instrumented for coverage, so that the fuzzer sees into the readers it drives.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
# Each test program links most of the program and the library, and under the sanitizers weighs
# about 150 MB: together they would need more disk than a build machine may have. Apart, they stay
# out of the default build, and test.sh builds, runs and deletes them one at a time (the file
# test_programs.txt of the build folder lists them, with the label their tests carry).
option(MAROVIN_TESTS_APART "Leave the test programs out of the default build" OFF)
function(marovin_test_program name)
  set_property(GLOBAL APPEND PROPERTY MAROVIN_TEST_PROGRAMS ${name})
  if(MAROVIN_TESTS_APART)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endfunction()
function(marovin_write_test_programs)
  get_property(programs GLOBAL PROPERTY MAROVIN_TEST_PROGRAMS)
  set(lines "")
  foreach(program IN LISTS programs)
    string(APPEND lines "${program}\t$<TARGET_FILE:${program}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/test_programs.txt CONTENT "${lines}")
endfunction()

if(MAROVIN_SANITIZE)
  set(MAROVIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${MAROVIN_SANITIZER_FLAGS})
  add_link_options(${MAROVIN_SANITIZER_FLAGS})
  # A report names file and line, which the line tables give; full debug information in every
  # instrumented test binary would make this build several times larger.
  add_compile_options(-g1)
endif()

# marovin_add_tests(NAME SOURCES... LIBS...): one GoogleTest executable. CTest runs each test case in
# a process of its own, and once more the whole binary, shuffled and repeated, in one process (label
# "whole"): the program flies flight after flight in one process, so no test may lean on a fresh one.
# Every test case carries the binary's name as its label.
function(marovin_add_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/leak_suppressions.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} marovin_options GTest::gtest GTest::gtest_main)
  # The fixture and shipped data folders reach every test the same way, however it is started.
  target_compile_definitions(${name} PRIVATE
    MAROVIN_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures" MAROVIN_DATA="${CMAKE_SOURCE_DIR}/data")
  if(ARG_ENVIRONMENT)
    # Through the launcher, because a list of variables given as a test property loses all but its
    # first; discovery then also runs under the same variables.
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${ARG_ENVIRONMENT})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name})
  marovin_test_program(${name})
  # The whole run has a temporary folder of its own: it runs beside the per-case runs of the same
  # tests, which write the same file names.
  set(wholeTemp ${CMAKE_CURRENT_BINARY_DIR}/${name}.whole.tmp)
  file(MAKE_DIRECTORY ${wholeTemp})
  add_test(NAME ${name}.whole COMMAND ${name} --gtest_shuffle --gtest_repeat=2)
  set_tests_properties(${name}.whole PROPERTIES LABELS whole TIMEOUT 600
                       ENVIRONMENT TMPDIR=${wholeTemp})
endfunction()

# marovin_add_fuzzer(NAME SOURCE LIBS...): SOURCE defines LLVMFuzzerTestOneInput. With
# MAROVIN_LIBFUZZER (clang) it becomes a real fuzzer; otherwise a driver replays
# (the corpus folder beside the target) as a test, which under MAROVIN_SANITIZE is how CI keeps every stored input clean.
function(marovin_add_fuzzer name source)
  set(target fuzz_${name})
  add_executable(${target} ${source})
  target_link_libraries(${target} PRIVATE ${ARGN} marovin_options)
  if(MAROVIN_LIBFUZZER)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay.${name}
             COMMAND ${target} ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
    set_tests_properties(fuzz_replay.${name} PROPERTIES LABELS ${target})
    marovin_test_program(${target})
  endif()
endfunction()

# marovin_add_bench(NAME SOURCES... LIBS...): a Google Benchmark program; never part of the tests.
function(marovin_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} marovin_options benchmark::benchmark
                        benchmark::benchmark_main)
  # Benchmarks fly the shipped scenarios as the tests do.
  target_compile_definitions(${name} PRIVATE MAROVIN_DATA="${CMAKE_SOURCE_DIR}/data")
endfunction()

# Adds every immediate subfolder that has a CMakeLists.txt: fuzz/ and bench/ hold one folder per
# file format or measurement, each declaring its own program.
function(marovin_add_child_folders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child IN LISTS children)
    if(EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
