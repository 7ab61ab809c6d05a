# How the program is put together: the layers of its core, each a static library that may use
# only the layers below it, and the modules that the program loads from its library folder.
#
# A new layer, or a new unit in one: welcomer_add_layer in the folder's CMakeLists.txt. A new
# module: welcomer_add_module. A new directory client backend goes into client/CMakeLists.txt.

# welcomer_add_layer(<target> SOURCES <files>... [USES <layers and libraries>...])
#
# SOURCES lists the layer's headers as well as its sources: an #include "..." in a file of the
# layer must name a header of the layer itself or of a layer it uses, directly or through
# another, and the layer's build fails on any other. Where the toolchain allows, the layer's
# objects are also linked into a shared object with nothing but the layers below it and
# --no-undefined, so that a call upwards fails to link.
function(welcomer_add_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;USES")
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${target} PUBLIC ${arg_USES})

  set(files "")
  set(headers "")
  foreach(file IN LISTS arg_SOURCES)
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND files ${file})
    if(file MATCHES "\\.h$")
      # Named as an #include names it: from the source root, or from the generated folder.
      cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${file}" generated)
      if(generated)
        cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)
      else()
        cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_SOURCE_DIR})
      endif()
      list(APPEND headers ${file})
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES
    WELCOMER_LAYER_FILES "${files}"
    WELCOMER_LAYER_HEADERS "${headers}"
    WELCOMER_LAYER_USES "${arg_USES}")
  set_property(GLOBAL APPEND PROPERTY WELCOMER_LAYERS ${target})

  # The sanitizers' runtime comes with the executable, so only a plain build can insist that a
  # shared object resolves every symbol by itself.
  if(NOT WELCOMER_SANITIZE)
    add_library(${target}_link_check SHARED $<TARGET_OBJECTS:${target}>)
    target_link_libraries(${target}_link_check PRIVATE ${arg_USES})
    target_link_options(${target}_link_check PRIVATE -Wl,--no-undefined)
    set_target_properties(${target}_link_check PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer-checks)
  endif()
endfunction()

# The headers a layer may include: its own and those of every layer below it.
function(welcomer_layer_allowed_headers target out)
  get_target_property(allowed ${target} WELCOMER_LAYER_HEADERS)
  get_target_property(uses ${target} WELCOMER_LAYER_USES)
  foreach(used IN LISTS uses)
    if(TARGET ${used})
      get_target_property(lower ${used} WELCOMER_LAYER_HEADERS)
      if(lower)
        welcomer_layer_allowed_headers(${used} below)
        list(APPEND allowed ${below})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

# Called once every layer exists: each layer's build first checks its files' includes.
function(welcomer_check_layers)
  get_property(layers GLOBAL PROPERTY WELCOMER_LAYERS)
  foreach(target IN LISTS layers)
    get_target_property(files ${target} WELCOMER_LAYER_FILES)
    welcomer_layer_allowed_headers(${target} allowed)
    set(stamp ${CMAKE_BINARY_DIR}/layer-checks/${target}.includes)
    set(lists ${CMAKE_BINARY_DIR}/layer-checks/${target}.cmake)
    file(GENERATE OUTPUT ${lists}
      CONTENT "set(LAYER ${target})\nset(FILES \"${files}\")\nset(ALLOWED \"${allowed}\")\n")
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DLISTS=${lists} -DSTAMP=${stamp}
              -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
      DEPENDS ${files} ${lists} ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
      COMMENT "Checking the includes of ${target}"
      VERBATIM)
    add_custom_target(${target}_include_check DEPENDS ${stamp})
    add_dependencies(${target} ${target}_include_check)
  endforeach()
endfunction()

# welcomer_add_module(<target> OUTPUT_NAME <name> SOURCES <files>... [LINKS <libraries>...])
#
# A module the program loads from its library folder. It links no layer of the core: what it uses
# of the program it finds in the executable, which exports exactly that (app/module_exports.list),
# so that the process holds one copy of the program's state. Only its entry point, marked with
# default visibility, leaves the module.
function(welcomer_add_module target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_NAME" "SOURCES;LINKS")
  add_library(${target} MODULE ${arg_SOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${target} PRIVATE ${arg_LINKS})
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${arg_OUTPUT_NAME}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${WELCOMER_MODULE_OUTPUT_DIRECTORY})
  add_dependencies(welcomer ${target})
  install(TARGETS ${target} LIBRARY DESTINATION ${WELCOMER_LIBDIR_NAME})
endfunction()
