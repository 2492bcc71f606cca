# Configures a small outer project that takes Nimbrel in with add_subdirectory: every path
# inside must be relative to Nimbrel's own folders, never to the outer project's.
# Run with -DNIMBREL_SOURCE=<checkout> -DWORK=<scratch folder>.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/outer)
file(WRITE ${WORK}/outer/CMakeLists.txt
  "cmake_minimum_required(VERSION 3.25)\n"
  "project(Outer LANGUAGES C CXX)\n"
  "add_subdirectory(\"${NIMBREL_SOURCE}\" nimbrel)\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${WORK}/outer -B ${WORK}/build
          -DNIMBREL_BUILD_TESTS=OFF -DNIMBREL_BUILD_BENCH=OFF
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring Nimbrel as a subproject failed:\n${errors}")
endif()
if(NOT EXISTS ${WORK}/build/nimbrel/Nimbrel.app/Contents/Info.plist)
  message(FATAL_ERROR "the bundle's Info.plist was not made inside the subproject's build")
endif()
