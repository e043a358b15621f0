# cmake -DFAULT=<name> -DSOURCE_DIR=<src> -DOUTPUT=<file> -DSTATUS=<file> -P plant_fault.cmake
# Writes the fault's file with its patch applied to OUTPUT and "planted" to
# STATUS; when the anchor is not found exactly once, OUTPUT gets the file
# unchanged (the build goes on) and STATUS says what is wrong.
include(${CMAKE_CURRENT_LIST_DIR}/planted_faults.cmake)
set(file "${${FAULT}_FILE}")
set(anchor "${${FAULT}_ANCHOR}")
set(replacement "${${FAULT}_REPLACEMENT}")
file(READ "${SOURCE_DIR}/${file}" text)
string(FIND "${text}" "${anchor}" first)
string(FIND "${text}" "${anchor}" last REVERSE)
if(first EQUAL -1 OR NOT first EQUAL last)
  file(WRITE "${OUTPUT}" "${text}")
  if(first EQUAL -1)
    file(WRITE "${STATUS}" "anchor of ${FAULT} not found in src/${file}: \"${anchor}\"\n")
  else()
    file(WRITE "${STATUS}" "anchor of ${FAULT} found more than once in src/${file}: \"${anchor}\"\n")
  endif()
  message(WARNING "planted fault ${FAULT}: the anchor is not in src/${file} exactly once")
  return()
endif()
string(REPLACE "${anchor}" "${replacement}" patched "${text}")
file(WRITE "${OUTPUT}" "${patched}")
file(WRITE "${STATUS}" "planted ${FAULT} in src/${file}\n")
