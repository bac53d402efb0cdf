# Fails when a layer includes a header of a layer above it. The layers, from
# the bottom: utility, data, rating (the rating library), then ui, then app;
# cli and qtsupport sit beside ui on top of the rating library; quote (the
# printable quote and the chart) sits on the rating library below ui and cli.
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
set(above_utility "data|rating|qtsupport|quote|cli|ui|app")
set(above_data "rating|qtsupport|quote|cli|ui|app")
set(above_rating "qtsupport|quote|cli|ui|app")
set(above_quote "qtsupport|cli|ui|app")
set(above_ui "cli|app")
set(above_qtsupport "cli|ui|app")
set(problems "")
foreach(layer utility data rating quote ui qtsupport)
  file(GLOB files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" lines REGEX "^#include \"(${above_${layer}})/")
    foreach(line ${lines})
      string(APPEND problems "  ${file}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Headers included from a layer above:\n${problems}")
endif()
