# Run by `cmake --install`: links <prefix>/<bindir>/<program> → the program in the program folder.
# Expects ORVANE_LAUNCHERS, ORVANE_LAUNCHER_BINDIR and ORVANE_LAUNCHER_PROGRAM_DIR (relative to
# the prefix, or absolute).
foreach(dir_var ORVANE_LAUNCHER_BINDIR ORVANE_LAUNCHER_PROGRAM_DIR)
  if(IS_ABSOLUTE "${${dir_var}}")
    set(${dir_var}_FULL "${${dir_var}}")
  else()
    set(${dir_var}_FULL "${CMAKE_INSTALL_PREFIX}/${${dir_var}}")
  endif()
endforeach()
set(staged_bindir "$ENV{DESTDIR}${ORVANE_LAUNCHER_BINDIR_FULL}")
file(MAKE_DIRECTORY "${staged_bindir}")
foreach(program ${ORVANE_LAUNCHERS})
  file(RELATIVE_PATH target "${ORVANE_LAUNCHER_BINDIR_FULL}" "${ORVANE_LAUNCHER_PROGRAM_DIR_FULL}/${program}")
  message(STATUS "Installing: ${staged_bindir}/${program} -> ${target}")
  file(REMOVE "${staged_bindir}/${program}")
  file(CREATE_LINK "${target}" "${staged_bindir}/${program}" SYMBOLIC)
endforeach()
