# cmake --install: the plug-ins where hosts look for them, the programs on the PATH, the
# standalone's menu entry and icon, the manual pages, the README and the licence. Tests,
# benchmarks, fuzzers and build tools (the Turtle writer) are never installed.
set(gw_packaging ${PROJECT_SOURCE_DIR}/packaging)

if(TARGET glimmerwick)
  install(TARGETS glimmerwick LIBRARY DESTINATION ${GW_INSTALL_LXVSTDIR})
endif()
if(TARGET glimmerwick_lv2)
  set(gw_bundle ${GW_INSTALL_LV2DIR}/glimmerwick.lv2)
  install(TARGETS glimmerwick_lv2 LIBRARY DESTINATION ${gw_bundle})
  if(TARGET glimmerwick_lv2_ui)
    install(TARGETS glimmerwick_lv2_ui LIBRARY DESTINATION ${gw_bundle})
  endif()
  install(DIRECTORY ${GW_LV2_BUNDLE}/ DESTINATION ${gw_bundle} FILES_MATCHING PATTERN "*.ttl")
endif()

# Each program with its manual page, which carries the version.
foreach(program glimmerwick-render glimmerwick-standalone)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    configure_file(${gw_packaging}/${program}.1.in ${PROJECT_BINARY_DIR}/man/${program}.1 @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(TARGET glimmerwick-standalone)
  install(FILES ${gw_packaging}/com.tarnwell.glimmerwick.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${gw_packaging}/com.tarnwell.glimmerwick.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
endif()
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/glimmerwick)
