# Run by CPack on its staging folder before it packs it: the programs lose the
# compiler's version notes (.comment, .note) as Debian's own packages do.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program ${programs})
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip ${program} failed (${status})")
  endif()
endforeach()
if(NOT programs)
  message(FATAL_ERROR "no programs under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
