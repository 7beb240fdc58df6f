# The version has one source: the module's vendor version, the number a VST host reads
# (TarnAdditiveSynth::kVendorVersion, 0xMMmmuu: 65547 is 1.0.11). Everything else takes it
# from here: project(VERSION), the generated glimmerwick_version.h (the programs' --version,
# the editor's title and About box, the LV2 Turtle), the manual pages, the Debian package
# and the Windows installer. `cmake -P cmake/version.cmake` prints it for scripts.
set(gw_version_source ${CMAKE_CURRENT_LIST_DIR}/../plugin/tarn_additive_synth.h)
file(STRINGS ${gw_version_source} gw_version_line REGEX "kVendorVersion = [0-9]+")
if(NOT gw_version_line MATCHES "kVendorVersion = ([0-9]+)")
  message(FATAL_ERROR "no 'kVendorVersion = N' in ${gw_version_source}")
endif()
set(GW_VENDOR_VERSION ${CMAKE_MATCH_1})
math(EXPR GW_VERSION_MAJOR "${GW_VENDOR_VERSION} >> 16")
math(EXPR GW_VERSION_MINOR "(${GW_VENDOR_VERSION} >> 8) & 255")
math(EXPR GW_VERSION_MICRO "${GW_VENDOR_VERSION} & 255")
set(GW_VERSION ${GW_VERSION_MAJOR}.${GW_VERSION_MINOR}.${GW_VERSION_MICRO})

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${GW_VERSION})
endif()
