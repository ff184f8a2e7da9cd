# corvane_add_test(<target>
#     LABELS <label>...        unit (no display, no device), gui (offscreen
#                              widgets), pty (pseudo-terminals), net
#                              (loopback sockets), e2e (built executables as
#                              processes), netns (private network namespaces,
#                              root only), package (the built Debian package);
#                              `ctest -L unit` runs the fast part
#     [NAME <name>]            ctest name; default the target's name
#     [ARGS <arg>...]          arguments to the test program
#     [ENV <VAR=value>...]     environment; QT_QPA_PLATFORM=offscreen always
#     [TIMEOUT <seconds>]      default 120
#     [DISCOVER]               one ctest case per GoogleTest case, each in
#                              its own process (so a failing case shows by
#                              name and `ctest -L`/`-R` pick single cases)
#     [AS_NORMAL_USER])        as user nobody when run as root (root ignores a
#                              tty's exclusive flag and its permissions);
#                              exit 77 (skipped) when that is not possible
set(CORVANE_AS_NORMAL_USER ${CMAKE_CURRENT_LIST_DIR}/support/as-normal-user.sh)

function(corvane_add_test target)
  cmake_parse_arguments(PARSE_ARGV 1 T "DISCOVER;AS_NORMAL_USER" "NAME;TIMEOUT" "LABELS;ARGS;ENV")
  if(NOT T_LABELS)
    message(FATAL_ERROR "corvane_add_test(${target}): LABELS missing")
  endif()
  if(NOT T_NAME)
    set(T_NAME ${target})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(env QT_QPA_PLATFORM=offscreen ${T_ENV})

  if(T_DISCOVER)
    include(GoogleTest)
    gtest_discover_tests(${target} TEST_LIST ${target}_TESTS EXTRA_ARGS ${T_ARGS} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT ${T_TIMEOUT})
    # Labels and environment are lists, which the discovery's command line
    # would split into separate property arguments; they are set once the
    # discovered cases are known, by a script ctest includes after them.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
    file(WRITE ${script}
      "if(DEFINED ${target}_TESTS)\n"
      "  set_tests_properties(\${${target}_TESTS} PROPERTIES LABELS \"${T_LABELS}\" ENVIRONMENT \"${env}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
    return()
  endif()

  set(command $<TARGET_FILE:${target}> ${T_ARGS})
  if(T_AS_NORMAL_USER)
    set(command sh ${CORVANE_AS_NORMAL_USER} ${command})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${command})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
  if(T_AS_NORMAL_USER)
    set_tests_properties(${T_NAME} PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endfunction()
