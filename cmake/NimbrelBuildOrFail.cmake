# For scripts run with cmake -P: builds the given targets of a build folder on every core, and
# stops the script with the last of the build's output when that fails.
#   nimbrel_build_or_fail(<build folder> "<what is built>" <target>...)
function(nimbrel_build_or_fail build what)
  cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
  execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${build} --target ${ARGN} --parallel ${cores}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(LENGTH "${output}" length)
    if(length GREATER 20000)
      math(EXPR from "${length} - 20000")
      string(SUBSTRING "${output}" ${from} -1 output)
    endif()
    message(FATAL_ERROR "${what} failed:\n${output}")
  endif()
endfunction()
