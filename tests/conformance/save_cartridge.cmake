cmake_minimum_required(VERSION 3.25)
# Runs a cartridge that uses save memory with a save folder of its own, emptied first: the shared
# cartridge folder may be read-only, and test runs must never share or leave save files there.
# Judged as verdict.cmake judges it.
#   SAVE_DIR  the folder; every other variable as verdict.cmake takes it

file(REMOVE_RECURSE ${SAVE_DIR})
file(MAKE_DIRECTORY ${SAVE_DIR})
# verdict.cmake puts ROM last on each of its command lines, so the option travels in front of it.
set(ROM --save-dir ${SAVE_DIR} ${ROM})
include(${CMAKE_CURRENT_LIST_DIR}/verdict.cmake)
