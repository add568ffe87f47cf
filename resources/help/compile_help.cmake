# Runs chmcmd on PROJECT_FILE and moves the help file it makes to OUTPUT.
# chmcmd's warnings are shown but do not stop the build; its failures do,
# and so does a run that made no help file (chmcmd then may still exit 0).
get_filename_component(dir ${PROJECT_FILE} DIRECTORY)
get_filename_component(name ${OUTPUT} NAME)
set(made ${dir}/${name})
file(REMOVE ${made})
execute_process(COMMAND ${CHMCMD} --verbosity 1 ${PROJECT_FILE}
  WORKING_DIRECTORY ${dir}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "chmcmd failed (exit status ${status}) on ${PROJECT_FILE}:\n${out}")
endif()
if(NOT EXISTS ${made})
  message(FATAL_ERROR "chmcmd made no help file from ${PROJECT_FILE}:\n${out}")
endif()
string(REGEX MATCHALL "[^\n]*(Warning|Error)[^\n]*" problems "${out}")
foreach(line IN LISTS problems)
  message(WARNING "chmcmd: ${line}")
endforeach()
file(RENAME ${made} ${OUTPUT})
