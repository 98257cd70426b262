# Stands in for an installed GoogleTest when cross-building: builds Debian's
# GoogleTest sources with the cross compiler, which gives GTest::gtest and
# GTest::gtest_main.
if(NOT TARGET GTest::gtest)
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # GoogleTest then uses Win32 locks, not winpthread.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
set(GTest_FOUND TRUE)
