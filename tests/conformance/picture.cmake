cmake_minimum_required(VERSION 3.25)
# Runs a picture cartridge headless, takes a screenshot of its last frame and checks it.
#   ORVANE  the program    CHECK  the picture checker    ROM  the cartridge
#   FRAMES  how long to run it    PICTURE  which description to check against    PNG  where to keep it
execute_process(COMMAND ${ORVANE} --headless --frames ${FRAMES} --screenshot ${PNG} ${ROM}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvane exited with ${status}:\n${errors}${output}")
endif()
execute_process(COMMAND ${CHECK} ${PNG} ${PICTURE} OUTPUT_VARIABLE verdict RESULT_VARIABLE status)
message("${verdict}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PNG} is not the picture ${PICTURE} describes")
endif()
