cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${ORVANE} --headless --frames 120 --dump 2000000:16 ${ROM}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
message("${output}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvane exited with ${status}")
endif()
# Little-endian words: 120 = 0x78 V-blanks, 119 = 0x77 timer overflows, 100 = 0x64 waits, 0x600D.
if(NOT output MATCHES "02000000: 78 00 00 00 77 00 00 00 64 00 00 00 0d 60 00 00")
  message(FATAL_ERROR "unexpected counts")
endif()
