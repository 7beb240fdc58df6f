# GoogleTest for a cross build: Debian's libgtest is built for the build machine, so the
# suites' target gets it compiled from Debian's sources (package googletest) instead.
# Provides the same GTest:: targets as find_package(GTest).
set(GW_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${GW_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${GW_GTEST_SOURCE_DIR} "
                      "(scripts/install-deps build installs them)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GW_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock gmock_main)
  # Third-party code: its warnings are not ours to fix.
  target_compile_options(${lib} PRIVATE -w)
endforeach()
if(NOT TARGET GTest::GTest)
  add_library(GTest::GTest ALIAS gtest)
  add_library(GTest::Main ALIAS gtest_main)
endif()
