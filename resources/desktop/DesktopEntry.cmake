# quorvel_desktop_entry(TEMPLATE DIR OUT): writes the desktop entry of the
# program that lives in folder DIR. A folder may be named anything, so Exec is
# quoted and escaped as desktop entries require wherever the name holds more
# than plain characters.
function(quorvel_desktop_entry template dir out)
  set(exec "${dir}/Quorvel")
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
  configure_file("${template}" "${out}" @ONLY)
endfunction()
