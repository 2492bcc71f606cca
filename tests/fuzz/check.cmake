# Builds the libFuzzer targets with clang, with the address and undefined-behaviour checks, in
# a build of their own, then replays each target's corpus through it (no new inputs are made).
# Run with -DNIMBREL_SOURCE=<checkout> -DWORK=<build folder> -DTARGETS=<names>; optional
# -DGENERATOR=<name> and -DCCACHE=ON|OFF.
find_program(CLANG_C NAMES clang-14 clang)
find_program(CLANG_CXX NAMES clang++-14 clang++)
if(NOT CLANG_C OR NOT CLANG_CXX)
  message("SKIPPED: no clang to build the fuzz targets with (scripts/setup-deps installs it)")
  return()
endif()
set(generator)
if(GENERATOR)
  set(generator -G ${GENERATOR})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${NIMBREL_SOURCE} -B ${WORK} ${generator}
          -DCMAKE_C_COMPILER=${CLANG_C} -DCMAKE_CXX_COMPILER=${CLANG_CXX}
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_CCACHE=${CCACHE}
          -DNIMBREL_FUZZ=ON -DNIMBREL_SANITIZE=address,undefined
          -DNIMBREL_BUILD_TESTS=OFF -DNIMBREL_BUILD_BENCH=OFF
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring the fuzz build with clang failed:\n${errors}")
endif()
set(programs)
foreach(name ${TARGETS})
  list(APPEND programs ${name}_fuzz)
endforeach()
include(${NIMBREL_SOURCE}/cmake/NimbrelBuildOrFail.cmake)
nimbrel_build_or_fail(${WORK} "building the fuzz targets with clang" ${programs})
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
foreach(name ${TARGETS})
  execute_process(
    COMMAND ${WORK}/tests/fuzz/${name}_fuzz -runs=0 -rss_limit_mb=2048
            ${NIMBREL_SOURCE}/tests/fuzz/corpus/${name}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${name}_fuzz failed on its corpus:\n${output}")
  endif()
  string(REGEX MATCH "INFO: seed corpus: files: [0-9]+" seeds "${output}")
  message("${name}_fuzz: ${seeds}, all replayed")
endforeach()
