# quorvel_sync_units(DIR OUT): writes the user units that sync the phone book
# of the program in folder DIR into folder OUT. A folder may be named
# anything: the command is quoted, and what systemd would expand (%) or
# unescape (\, ") is escaped. A $ stays as it is: systemd expands variables
# in the arguments only, never in the program's own path.
set(QUORVEL_UNITS_TEMPLATES "${CMAKE_CURRENT_LIST_DIR}")
function(quorvel_sync_units dir out)
  set(exec "${dir}/quorvel-book")
  foreach(special "\\" "\"")
    string(REPLACE "${special}" "\\${special}" exec "${exec}")
  endforeach()
  string(REPLACE "%" "%%" exec "${exec}")
  set(QUORVEL_SYNC "\"${exec}\"")
  configure_file("${QUORVEL_UNITS_TEMPLATES}/quorvel-sync.service.in" "${out}/quorvel-sync.service" @ONLY)
  configure_file("${QUORVEL_UNITS_TEMPLATES}/quorvel-sync.timer" "${out}/quorvel-sync.timer" COPYONLY)
endfunction()
