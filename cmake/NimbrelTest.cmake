# nimbrel_add_test(<folder> [<library>]): one test executable per tests/<folder>/tst_*.cpp,
# named <folder>_tst_<name>, linked to the library of the folder under test (none for tests
# that only run programs). A program whose rows are too long to share one time limit is run
# in parts: when <folder>_tst_<name>_parts is set, each of its entries, "<part>|<argument>|...",
# becomes the test <folder>_tst_<name>_<part>, the program run with those arguments (test
# functions, or function:row).
function(nimbrel_add_test folder)
  set(lib ${ARGN})
  # QProcess starts children with vfork-like clone(), which the thread sanitizer takes for a
  # fork of the test itself and then refuses every later thread; it is not a race.
  set(tsan_options "die_after_fork=0")
  if(NIMBREL_SANITIZE MATCHES "thread")
    # Qt and glib are not built with the sanitizer; tsan.supp names their own hand-overs.
    string(APPEND tsan_options ":suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
  endif()
  # Undefined behaviour fails the test that meets it, instead of only printing a line.
  set(ubsan_options "print_stacktrace=1:halt_on_error=1")

  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  if(NOT tests)
    message(FATAL_ERROR "nimbrel_add_test: no tst_*.cpp in ${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
  endif()
  foreach(test_source ${tests})
    get_filename_component(test_name ${test_source} NAME_WE)
    set(target ${folder}_${test_name})
    add_executable(${target} ${test_source})
    target_link_libraries(${target} PRIVATE nimbrel_testsupport Qt6::Test ${lib})
    target_compile_definitions(${target} PRIVATE
      NIMBREL_TEST_BUNDLE="${NIMBREL_BUNDLE_DIR}"
      NIMBREL_TEST_QZNB="${NIMBREL_BUNDLE_MACOS}/qznb"
      NIMBREL_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_dependencies(${target} qznb nimbrel_bundle_resources)
    set(runs)
    if(DEFINED ${target}_parts)
      foreach(part IN LISTS ${target}_parts)
        string(REPLACE "|" ";" arguments "${part}")
        list(POP_FRONT arguments name)
        add_test(NAME ${target}_${name} COMMAND ${target} ${arguments})
        list(APPEND runs ${target}_${name})
      endforeach()
    else()
      add_test(NAME ${target} COMMAND ${target})
      set(runs ${target})
    endif()
    set_tests_properties(${runs} PROPERTIES TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;NIMBREL_BUNDLE_PATH=${NIMBREL_BUNDLE_DIR};TSAN_OPTIONS=${tsan_options};UBSAN_OPTIONS=${ubsan_options}")
  endforeach()
endfunction()
