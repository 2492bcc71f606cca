# Configures a small outer project that takes Nimbrel in with add_subdirectory, then builds the
# benchmarks, which reach into tests/ and the source tree: every path inside must be relative to
# Nimbrel's own folders, never to the outer project's.
# Run with -DNIMBREL_SOURCE=<checkout> -DWORK=<scratch folder>; optional -DGENERATOR=<name>
# and -DCCACHE=ON|OFF to build as the enclosing build does.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/outer)
file(WRITE ${WORK}/outer/CMakeLists.txt
  "cmake_minimum_required(VERSION 3.25)\n"
  "project(Outer LANGUAGES C CXX)\n"
  "add_subdirectory(\"${NIMBREL_SOURCE}\" nimbrel)\n")
set(generator)
if(GENERATOR)
  set(generator -G ${GENERATOR})
endif()
# A build type without flags: only the paths matter here, and plain -O0 compiles quickest.
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${WORK}/outer -B ${WORK}/build ${generator}
          -DCMAKE_BUILD_TYPE=None -DNIMBREL_CCACHE=${CCACHE}
          -DNIMBREL_BUILD_TESTS=OFF -DNIMBREL_BUILD_BENCH=ON
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring Nimbrel as a subproject failed:\n${errors}")
endif()
if(NOT EXISTS ${WORK}/build/nimbrel/Nimbrel.app/Contents/Info.plist)
  message(FATAL_ERROR "the bundle's Info.plist was not made inside the subproject's build")
endif()
# The outer project has no sources: a compile command naming its folder took a wrong path
# (an include folder or a define), whether or not the compiler noticed.
file(READ ${WORK}/build/compile_commands.json commands)
string(FIND "${commands}" "${WORK}/outer/" outer_path)
if(NOT outer_path EQUAL -1)
  message(FATAL_ERROR "a compile command inside the subproject names the outer project's folder")
endif()
include(${NIMBREL_SOURCE}/cmake/NimbrelBuildOrFail.cmake)
nimbrel_build_or_fail(${WORK}/build "building the benchmarks of Nimbrel as a subproject" nimbrel_bench)
