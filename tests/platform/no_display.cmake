# Without a display the window cannot open: a clear message that suggests --headless and a
# non-zero status, never a crash.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/script.txt "quit\n")
execute_process(COMMAND ${ORVANE} --ui-script ${WORK}/script.txt
                RESULT_VARIABLE status ERROR_VARIABLE err TIMEOUT 60)
if(status EQUAL 0 OR NOT status MATCHES "^[0-9]+$")
  message(FATAL_ERROR "status ${status}, expected a plain failure: ${err}")
endif()
if(NOT err MATCHES "--headless")
  message(FATAL_ERROR "message does not suggest --headless: ${err}")
endif()
