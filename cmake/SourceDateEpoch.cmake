# The time the package's files carry, in seconds since 1970, as DYNLOG_SOURCE_DATE_EPOCH:
#   1. SOURCE_DATE_EPOCH from the environment, when it is set;
#   2. package/source-date-epoch.txt, when it holds a number: `git archive` writes the archived
#      commit's time into it (see .gitattributes), so a source archive builds the bytes its commit
#      builds;
#   3. the last commit's time, from git;
#   4. else 1980-01-01, the earliest time a zip can hold, with a warning: such a copy's package
#      differs from its commit's.
# Also runs as a script (`cmake -DROOT=<sources> -P cmake/SourceDateEpoch.cmake`), printing the
# time, so the package test can try a copy of the sources without building it.

function(dynlog_source_date_epoch root out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT epoch MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH='${epoch}' is not a count of seconds since 1970.")
    endif()
    set(${out} ${epoch} PARENT_SCOPE)
    return()
  endif()
  file(STRINGS "${root}/package/source-date-epoch.txt" carried LIMIT_COUNT 1)
  if(carried MATCHES "^[0-9]+$")
    set(${out} ${carried} PARENT_SCOPE)
    return()
  endif()
  # Only the sources' own clone counts, not one they were copied into.
  execute_process(COMMAND git -C "${root}" rev-parse --show-toplevel
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND git -C "${root}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  file(REAL_PATH "${root}" root_path)
  if(top)
    file(REAL_PATH "${top}" top)
  endif()
  if(NOT failed AND top STREQUAL root_path AND epoch MATCHES "^[0-9]+$")
    set(${out} ${epoch} PARENT_SCOPE)
    return()
  endif()
  message(WARNING "These sources are neither a git clone nor a `git archive`: the package's files "
    "carry 1980-01-01, and its bytes differ from those of the commit the sources came from. Give "
    "the commit's time, for example SOURCE_DATE_EPOCH=$(date -d 2026-12-08T12:00Z +%s).")
  set(${out} 315532800 PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dynlog_source_date_epoch("${ROOT}" epoch)
  message(NOTICE "${epoch}")
endif()
