# Fails when a source file reads or writes a floating-point number with a C
# library call that follows the user's locale (LC_NUMERIC): scanf, strtod,
# atof, std::stod and a printf format with %f, %e, %g or %a. Such numbers go
# through utility/number_text.h, whose readers and writers never do.
# Comment lines are not looked at.
#   cmake -DSOURCE_DIR=<src> -P check_number_texts.cmake
file(GLOB_RECURSE files "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(call_pattern "(^|[^A-Za-z0-9_])(v?s?f?scanf|strto(d|f|ld)|ato(f)|std::sto(d|f|ld))[ ]*\\(")
set(format_pattern "\"[^\"]*%[-+#0]*[0-9*]*(\\.[0-9*]*)?[lL]?[aAeEfFgG][^\"]*\"")
set(problems "")
foreach(file ${files})
  # One list element a line: the characters CMake lists treat specially are masked.
  file(READ "${file}" content)
  string(REPLACE ";" "<semicolon>" content "${content}")
  string(REPLACE "[" "<" content "${content}")
  string(REPLACE "]" ">" content "${content}")
  string(REPLACE "\\" "/" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*//")
      continue()
    endif()
    if(line MATCHES "${call_pattern}" OR line MATCHES "${format_pattern}")
      string(APPEND problems "  ${file}:${number}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Numbers read or written under the user's locale (use utility/number_text.h):\n${problems}")
endif()
