# A bad line stops the run before anything runs: status 2, its line number and the reason, and no
# picture from the good line before it.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/script.txt "shot ${WORK}/early.png\n# comment\ntap 10 9999\n")
execute_process(COMMAND ${ORVANE} --headless --ui-script ${WORK}/script.txt
                RESULT_VARIABLE status ERROR_VARIABLE err TIMEOUT 60)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "status ${status}, expected 2: ${err}")
endif()
if(NOT err MATCHES "line 3: tap needs a point")
  message(FATAL_ERROR "message does not name line 3 and the reason: ${err}")
endif()
if(EXISTS ${WORK}/early.png)
  message(FATAL_ERROR "the script ran before it was checked")
endif()
