# The Windows programs carry the time of the last commit in their PE header:
# a real build time, and the same for every build of one commit, so the
# release zips stay reproducible. SOURCE_DATE_EPOCH, when set, wins (as it
# does for the linker and CPack).
#
# Each build records the time in source_date_epoch, rewritten only when it
# changes; a program linked with cellwarden_link_at_source_date() is linked
# again when it does, with SOURCE_DATE_EPOCH set for the linker.
set(CELLWARDEN_SOURCE_DATE_FILE ${CMAKE_BINARY_DIR}/source_date_epoch)
add_custom_target(cellwarden_source_date
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUT=${CELLWARDEN_SOURCE_DATE_FILE}
          -P ${CMAKE_CURRENT_LIST_DIR}/record_source_date.cmake
  BYPRODUCTS ${CELLWARDEN_SOURCE_DATE_FILE}
  VERBATIM)

function(cellwarden_link_at_source_date target)
  add_dependencies(${target} cellwarden_source_date)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CELLWARDEN_SOURCE_DATE_FILE})
  set_property(TARGET ${target} PROPERTY CXX_LINKER_LAUNCHER
    ${PROJECT_SOURCE_DIR}/cmake/link_at_source_date.sh ${CELLWARDEN_SOURCE_DATE_FILE})
endfunction()
