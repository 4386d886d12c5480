# cmake -DEXE=... -DSOURCE_DIR=... -DVERSION=... -DOUTPUT_DIR=... -DNOTEPAD_FILE=...
#       -P windows_zip.cmake
# Packs scenario-compiler-VERSION-win64.zip: one folder of that name holding
# the Windows executable, README.md, docs/ and Notepad++'s language file. Without the executable (no
# Windows build yet) it says so and packs nothing.
set(name scenario-compiler-${VERSION}-win64)
if(NOT EXISTS "${EXE}")
  file(REMOVE "${OUTPUT_DIR}/${name}.zip")
  message(STATUS "No Windows build at ${EXE}: the Windows zip is skipped")
  return()
endif()
set(stage "${OUTPUT_DIR}/windows-zip")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}/${name}")
file(COPY "${EXE}" "${SOURCE_DIR}/README.md" "${NOTEPAD_FILE}" DESTINATION "${stage}/${name}")
file(COPY "${SOURCE_DIR}/docs" DESTINATION "${stage}/${name}"
     PATTERN "scenario-compiler.1.md" EXCLUDE)
file(REMOVE "${OUTPUT_DIR}/${name}.zip")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${OUTPUT_DIR}/${name}.zip" --format=zip "${name}"
  WORKING_DIRECTORY "${stage}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not pack ${OUTPUT_DIR}/${name}.zip")
endif()
file(REMOVE_RECURSE "${stage}")
message(STATUS "Packed ${OUTPUT_DIR}/${name}.zip")
