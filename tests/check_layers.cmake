# Fails when a layer includes a header of a layer above it, when any source
# reaches a header by a relative path ("../ui/clipboard.h" would slip past the
# layer names), or when anything outside the rating library includes the rating
# engine (rating/engine/), which only the rating library drives.
#
# The layers, from the bottom: utility, data, rating (the rating library), then
# quote (the printable quote and the chart), then ui, then app; cli (the command
# line) and qtsupport (the QSettings adapter) sit beside ui on top of quote and
# the rating library.
#   cmake -DSOURCE_DIR=<src> [-DOTHER_DIRS=<dir;dir>] -P check_layers.cmake
set(above_utility "data|rating|qtsupport|quote|cli|ui|app")
set(above_data "rating|qtsupport|quote|cli|ui|app")
set(above_rating "qtsupport|quote|cli|ui|app")
set(above_quote "qtsupport|cli|ui|app")
set(above_qtsupport "cli|ui|app")
set(above_ui "cli|app")
set(above_cli "ui|app")
set(above_app "cli")
set(problems "")
foreach(layer utility data rating quote qtsupport ui cli app)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${above_${layer}})/")
    foreach(line ${lines})
      string(APPEND problems "  ${file}: ${line} (a layer above ${layer})\n")
    endforeach()
    if(NOT layer STREQUAL "rating")
      file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"rating/engine/")
      foreach(line ${lines})
        string(APPEND problems "  ${file}: ${line} (the engine is the rating library's own)\n")
      endforeach()
    endif()
  endforeach()
endforeach()
# Relative includes, anywhere under the source folder and in the other folders.
file(GLOB_RECURSE all_files "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(dir ${OTHER_DIRS})
  file(GLOB_RECURSE more "${dir}/*.h" "${dir}/*.cpp")
  list(APPEND all_files ${more})
  foreach(file ${more})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"rating/engine/")
    foreach(line ${lines})
      string(APPEND problems "  ${file}: ${line} (the engine is the rating library's own)\n")
    endforeach()
  endforeach()
endforeach()
foreach(file ${all_files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"\\.\\.?/")
  foreach(line ${lines})
    string(APPEND problems "  ${file}: ${line} (a relative include)\n")
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Includes across the layers:\n${problems}")
endif()
