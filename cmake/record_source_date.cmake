# cmake -DSOURCE_DIR=DIR -DOUT=FILE -P record_source_date.cmake: writes the
# build's time into FILE, only when it changed: SOURCE_DATE_EPOCH if set,
# else the time of the checkout's last commit.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR epoch STREQUAL "")
    # Not a checkout: the time of its first build, kept from then on.
    if(EXISTS "${OUT}")
      return()
    endif()
    string(TIMESTAMP epoch "%s" UTC)
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: ${epoch}")
endif()
set(recorded "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" recorded)
endif()
if(NOT recorded STREQUAL "${epoch}\n")
  file(WRITE "${OUT}" "${epoch}\n")
endif()
