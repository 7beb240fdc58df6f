# Cross-builds the 32-bit Windows module with Debian's mingw-w64 i686 GCC and runs the
# resulting executables (tests, test discovery) through Wine.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

# The posix thread model: the win32 model of GCC 12 has no std::thread or std::mutex.
set(gw_mingw_prefix i686-w64-mingw32)
set(CMAKE_C_COMPILER ${gw_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${gw_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${gw_mingw_prefix}-windres)
set(CMAKE_AR ${gw_mingw_prefix}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${gw_mingw_prefix}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${gw_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and DLL links the C++ runtime and libgcc statically, so that it imports
# only DLLs that come with Windows.
set(gw_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${gw_static_runtime})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${gw_static_runtime})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${gw_static_runtime})
# The static runtime libraries carry debug sections; a shipped Release DLL drops them.
set(CMAKE_MODULE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# The Windows C library declares M_PI and friends only on request; glibc always does.
# 32-bit Windows' malloc gives 8-byte alignment, yet GCC takes plain new to give 16: a
# heap object with four-lane members (a std::vector<Voice>, the synthesiser) could land
# 8-aligned and fault on its first aligned SSE load. Anything aligned above 8 goes
# through the aligned new instead; every C++ file of the build takes the same setting,
# so each delete matches its new.
set(CMAKE_CXX_FLAGS_INIT "-D_USE_MATH_DEFINES -faligned-new=8")
set(CMAKE_C_FLAGS_INIT "-D_USE_MATH_DEFINES")

# Each build tree runs its programs in a Wine prefix of its own, so that test runs of two
# trees never share (or stop) each other's Wine server.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix ${CMAKE_CURRENT_LIST_DIR}/wine-run)
