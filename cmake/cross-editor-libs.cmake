# The editor's libraries in a Windows cross build: the static i686 FreeType, libpng, GLEW
# and FTGL that scripts/cross-libs builds, with mingw's static zlib and the system's
# OpenGL and GLU. Defines the targets the native build gets from find_package.
# Sets gw_editor_libs_found.
set(GW_CROSS_LIBS_DIR "$ENV{GW_CROSS_LIBS_DIR}" CACHE PATH
    "Prefix of the editor's static Windows libraries (printed by scripts/cross-libs)")
set(gw_editor_libs_found FALSE)
set(dir ${GW_CROSS_LIBS_DIR})
if(NOT dir OR NOT EXISTS ${dir}/lib/libftgl.a OR NOT EXISTS ${dir}/lib/libglew32.a OR
   NOT EXISTS ${dir}/lib/libpng16.a OR NOT EXISTS ${dir}/lib/libfreetype.a)
  message(WARNING "No editor libraries for Windows in '${dir}': no editor "
                  "(set GW_CROSS_LIBS_DIR to what scripts/cross-libs prints)")
  return()
endif()
# Debian ships mingw's zlib also as an import library; the DLL must not need zlib1.dll.
find_library(gw_mingw_static_zlib NAMES libz.a REQUIRED)

function(gw_cross_static_library name file)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${file})
  target_include_directories(${name} SYSTEM INTERFACE ${dir}/include)
endfunction()

if(NOT TARGET gw_cross_zlib)
  add_library(gw_cross_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(gw_cross_zlib PROPERTIES IMPORTED_LOCATION ${gw_mingw_static_zlib})
  gw_cross_static_library(gw_cross_freetype ${dir}/lib/libfreetype.a)
  target_include_directories(gw_cross_freetype SYSTEM INTERFACE ${dir}/include/freetype2)
  target_link_libraries(gw_cross_freetype INTERFACE gw_cross_zlib)
  gw_cross_static_library(PNG::PNG ${dir}/lib/libpng16.a)
  target_link_libraries(PNG::PNG INTERFACE gw_cross_zlib)
  gw_cross_static_library(GLEW::GLEW ${dir}/lib/libglew32.a)
  target_compile_definitions(GLEW::GLEW INTERFACE GLEW_STATIC)
  target_link_libraries(GLEW::GLEW INTERFACE opengl32)
  gw_cross_static_library(gw_cross_ftgl ${dir}/lib/libftgl.a)
  # Without it FTGL's header declares its classes as imported from a DLL.
  target_compile_definitions(gw_cross_ftgl INTERFACE FTGL_LIBRARY_STATIC)
  target_link_libraries(gw_cross_ftgl INTERFACE gw_cross_freetype glu32 opengl32)
  add_library(gw_cross_glu INTERFACE IMPORTED GLOBAL)
  target_link_libraries(gw_cross_glu INTERFACE glu32 opengl32)
endif()
set(gw_editor_libs_found TRUE)
