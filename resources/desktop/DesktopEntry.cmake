# quorvel_desktop_entry(TEMPLATE DIR OUT [EXEC COMMAND ICON NAME]): writes the
# desktop entry of the program that lives in folder DIR and is started there.
# A folder may be named anything, so Exec is quoted and escaped as desktop
# entries require wherever the name holds more than plain characters. A
# program on the path is given as its command and its icon by its theme name.
function(quorvel_desktop_entry template dir out)
  cmake_parse_arguments(PARSE_ARGV 3 entry "" "EXEC;ICON" "")
  set(exec "${dir}/Quorvel")
  if(entry_EXEC)
    set(exec "${entry_EXEC}")
  endif()
  if(exec MATCHES "[^A-Za-z0-9_./+,:=@-]")
    foreach(special "\\" "\"" "`" "$")
      string(REPLACE "${special}" "\\${special}" exec "${exec}")
    endforeach()
    set(exec "\"${exec}\"")
  endif()
  string(REPLACE "%" "%%" exec "${exec}")
  # Every value is a string, whose backslashes are escaped once more.
  string(REPLACE "\\" "\\\\" QUORVEL_EXEC "${exec}")
  string(REPLACE "\\" "\\\\" QUORVEL_DIR "${dir}")
  set(QUORVEL_ICON "${QUORVEL_DIR}/quorvel.svg")
  if(entry_ICON)
    set(QUORVEL_ICON "${entry_ICON}")
  endif()
  configure_file("${template}" "${out}" @ONLY)
endfunction()
