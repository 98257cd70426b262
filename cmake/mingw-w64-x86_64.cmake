# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (POSIX threads
# variant, for std::thread and std::mutex); the results run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unicode Win32 API by default; static runtime so the .exe files need no DLLs.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian packages no GoogleTest for MinGW: build it from the shipped sources.
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-googletest CACHE PATH "GoogleTest built from source")

find_program(PELLOQUIN_WINE NAMES wine64 wine)
if(PELLOQUIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELLOQUIN_WINE})
endif()
