cmake_minimum_required(VERSION 3.25)
# Runs orvane with ARGS (separated by |) and requires exit status STATUS and MESSAGE on standard error.
# FILE_KIND, when set, first makes ${WORK}/rom.gba: "empty", "short" (100 bytes), "huge" (40 MB,
# sparse).
if(DEFINED FILE_KIND)
  file(MAKE_DIRECTORY ${WORK})
  set(rom ${WORK}/rom.gba)
  if(FILE_KIND STREQUAL "empty")
    file(WRITE ${rom} "")
  elseif(FILE_KIND STREQUAL "short")
    string(REPEAT "x" 100 bytes)
    file(WRITE ${rom} "${bytes}")
  elseif(FILE_KIND STREQUAL "huge")
    file(WRITE ${rom} "")
    execute_process(COMMAND truncate -s 40M ${rom})
  endif()
endif()
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "@WORK@" "${WORK}" ARGS "${ARGS}")
execute_process(COMMAND ${ORVANE} ${ARGS} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                RESULT_VARIABLE status)
if(NOT status EQUAL STATUS OR NOT errors MATCHES "${MESSAGE}")
  message(FATAL_ERROR "expected status ${STATUS} and \"${MESSAGE}\", got ${status}:\n${errors}")
endif()
