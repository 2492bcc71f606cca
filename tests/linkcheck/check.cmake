# Fails when the program built from the whole core needs Qt Widgets or Multimedia.
# Run with -DPROGRAM=<path> -DREADELF=<readelf>.
execute_process(COMMAND ${READELF} -d ${PROGRAM} RESULT_VARIABLE result OUTPUT_VARIABLE dynamic)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "could not read ${PROGRAM}")
endif()
if(NOT dynamic MATCHES "libQt6Core")
  message(FATAL_ERROR "${PROGRAM} does not name Qt Core: the check reads the wrong section")
endif()
foreach(library libQt6Widgets libQt6Multimedia)
  if(dynamic MATCHES "${library}")
    message(FATAL_ERROR "the core links ${library}:\n${dynamic}")
  endif()
endforeach()
