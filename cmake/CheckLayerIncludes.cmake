# Fails when a file of a layer includes a header that is neither the layer's own nor of a layer
# below it. Run by the build (see WelcomerTargets.cmake) with LISTS, a file that sets LAYER,
# FILES and ALLOWED, and STAMP, touched when every include is allowed.
cmake_minimum_required(VERSION 3.25)
include(${LISTS})
set(refused "")
foreach(file IN LISTS FILES)
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(NOT header IN_LIST ALLOWED)
      cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/.. OUTPUT_VARIABLE shown)
      string(APPEND refused "\n  ${shown} includes ${header}")
    endif()
  endforeach()
endforeach()
if(refused)
  message(FATAL_ERROR "${LAYER} may include only its own headers and those of the layers below "
                      "it (a header of its own must be listed among its sources):${refused}")
endif()
file(TOUCH ${STAMP})
