cmake_minimum_required(VERSION 3.25)
# Three seconds of the title screen, with sound recorded; the checker measures its level.
file(MAKE_DIRECTORY ${WORK})
file(REMOVE ${WORK}/title.wav)
execute_process(COMMAND ${ORVANE} --headless --frames 180 --save-dir ${WORK}
                        --audio ${WORK}/title.wav ${ROM}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvane exited with ${status}:\n${output}${errors}")
endif()
execute_process(COMMAND ${CHECKER} ${WORK}/title.wav
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
message("${output}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the title tune is silent")
endif()
