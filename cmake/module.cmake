# The plug-in module: the exported entry on top of glimmerwick_core.
if(NOT TARGET gw_plugin)
  return()
endif()
add_library(glimmerwick_core INTERFACE)
target_link_libraries(glimmerwick_core INTERFACE gw_plugin)

add_library(glimmerwick MODULE plugin/entry.cpp)
target_link_libraries(glimmerwick PRIVATE glimmerwick_core)
set_target_properties(glimmerwick PROPERTIES PREFIX "" OUTPUT_NAME glimmerwick)
if(WIN32)
  target_sources(glimmerwick PRIVATE ${PROJECT_SOURCE_DIR}/plugin/glimmerwick.def)
  target_link_options(glimmerwick PRIVATE -static -static-libgcc -static-libstdc++)
else()
  # Exactly two dynamic symbols leave the module, whatever the static libraries contain.
  target_link_options(glimmerwick PRIVATE
    -Wl,--version-script=${PROJECT_SOURCE_DIR}/plugin/exports.map -Wl,--no-undefined)
  set_target_properties(glimmerwick PROPERTIES LINK_DEPENDS ${PROJECT_SOURCE_DIR}/plugin/exports.map)
endif()
