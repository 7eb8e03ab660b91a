# Regenerates the icons into OUT and compares them byte for byte with the
# committed set, so the two cannot drift apart.
#   cmake -DGENERATOR=celwrd-icons -DCOMMITTED=resources/icons -DOUT=dir -P check_committed.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${GENERATOR}" "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "celwrd-icons failed: ${rc}")
endif()

set(fix "regenerate them: celwrd-icons ${COMMITTED}")
file(GLOB generated RELATIVE "${OUT}" "${OUT}/*.ico")
file(GLOB committed RELATIVE "${COMMITTED}" "${COMMITTED}/*.ico")
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "committed icons [${committed}] differ from generated [${generated}]; ${fix}")
endif()
foreach(name IN LISTS generated)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}/${name}" "${COMMITTED}/${name}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${COMMITTED}/${name} is not what the generator draws; ${fix}")
  endif()
endforeach()
list(LENGTH generated count)
message(STATUS "${count} icons match")
