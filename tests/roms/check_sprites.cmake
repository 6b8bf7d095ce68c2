cmake_minimum_required(VERSION 3.25)
# The sprite cartridge counts one frame per V-blank: 60 frames run means 60 (0x3c) counted, so the
# objects, window and blending setup ran through without stalling the machine.
file(REMOVE ${SHOT})
execute_process(COMMAND ${ORVANE} --headless --frames 60 --dump 2000000:4 --screenshot ${SHOT} ${ROM}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
message("${output}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvane exited with ${status}")
endif()
if(NOT output MATCHES "02000000: 3c 00 00 00")
  message(FATAL_ERROR "unexpected frame count")
endif()
if(NOT EXISTS ${SHOT})
  message(FATAL_ERROR "no screenshot written")
endif()
