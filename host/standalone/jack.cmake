# Sound for glimmerwick-standalone through JACK, when JACK's development files are there
# (scripts/install-deps hosts); without them the standalone shows the editor only.
# pkg-config knows only the build machine's libraries: a cross build has no JACK.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JACK QUIET IMPORTED_TARGET jack)
endif()
if(JACK_FOUND AND TARGET gw_render_core)
  target_sources(glimmerwick-standalone PRIVATE jack_player.cpp jack_schedule.cpp)
  target_link_libraries(glimmerwick-standalone PRIVATE PkgConfig::JACK gw_render_core)
  set(GW_STANDALONE_HAS_JACK ON CACHE INTERNAL "glimmerwick-standalone plays through JACK")
else()
  target_sources(glimmerwick-standalone PRIVATE jack_unavailable.cpp)
  set(GW_STANDALONE_HAS_JACK OFF CACHE INTERNAL "glimmerwick-standalone plays through JACK")
endif()
