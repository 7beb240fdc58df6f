# gw_add_gui_test(NAME <name> COMMAND <cmd...> [TIMEOUT <seconds>])
# Registers a test that runs <cmd> under a virtual X server of its own (xvfb-run) with
# Mesa's software OpenGL, so GUI tests need no display and no GPU.
find_program(GW_XVFB_RUN xvfb-run)

function(gw_add_gui_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "COMMAND")
  if(NOT arg_NAME OR NOT arg_COMMAND)
    message(FATAL_ERROR "gw_add_gui_test needs NAME and COMMAND")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()
  if(NOT GW_XVFB_RUN)
    add_test(NAME ${arg_NAME}
             COMMAND sh -c "echo 'xvfb-run is missing: scripts/install-deps gui'; exit 77")
    set_tests_properties(${arg_NAME} PROPERTIES SKIP_RETURN_CODE 77 LABELS gui)
    return()
  endif()
  # Start each test's server search at its own number, so that parallel tests, here and
  # in other build trees, rarely race for one; -a moves on from a number in use.
  string(MD5 digest "${CMAKE_BINARY_DIR}/${arg_NAME}")
  string(SUBSTRING ${digest} 0 4 digest)
  math(EXPR server "100 + 0x${digest} % 30000")
  # -noreset: a server that resets whenever its last client leaves refuses connections
  # for a moment, and tests open and close many.
  add_test(NAME ${arg_NAME}
           COMMAND ${GW_XVFB_RUN} -n ${server} -a -s "-screen 0 1280x1024x24 -noreset"
                   ${arg_COMMAND})
  set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT "LIBGL_ALWAYS_SOFTWARE=1"
                                              LABELS gui TIMEOUT ${arg_TIMEOUT})
endfunction()
