# Installation and packages: on Linux the program, its desktop entry and icons,
# and the Debian package; on Windows a zip of one folder with the program, its
# README and licence, which keeps its settings beside it.
include(GNUInstallDirs)

if(TARGET pelloquin AND WIN32)
  install(TARGETS pelloquin RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
elseif(TARGET pelloquin)
  install(TARGETS pelloquin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(UNIX AND NOT APPLE)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/pelloquin.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/pelloquin.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 24 32 48 64 128 256)
      install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/pelloquin-${size}.png
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
              RENAME pelloquin.png)
    endforeach()
  endif()
endif()

set(CPACK_PACKAGE_NAME pelloquin)
set(CPACK_PACKAGE_VENDOR "Pelloquin developers")
set(CPACK_PACKAGE_CONTACT "Pelloquin developers <pelloquin@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelloquin keeps each Oblivion character's saves in a folder of its own and swaps the chosen character's saves into the game's save folder.")
if(PELLOQUIN_HOMEPAGE_URL)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${PELLOQUIN_HOMEPAGE_URL}")
endif()
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "pelloquin-${PROJECT_VERSION}-win64")
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt and C++ libraries the program links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game runs under Wine off Windows; Pelloquin starts its launcher there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")

include(CPack)

# The Windows installer, by NSIS (Debian's nsis package): `installer` target.
if(TARGET pelloquin AND WIN32)
  find_program(PELLOQUIN_MAKENSIS makensis)
  if(PELLOQUIN_MAKENSIS)
    set(PELLOQUIN_ICO ${PROJECT_BINARY_DIR}/src/win32/pelloquin.ico)
    set(PELLOQUIN_STRIPPED_EXE ${PROJECT_BINARY_DIR}/installer/pelloquin.exe)
    set(PELLOQUIN_INSTALLER
        ${PROJECT_BINARY_DIR}/packages/pelloquin-${PROJECT_VERSION}-win64-setup.exe)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/installer.nsi.in
                   ${PROJECT_BINARY_DIR}/installer/pelloquin.nsi @ONLY)
    add_custom_target(installer
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packages
      COMMAND ${CMAKE_STRIP} -o ${PELLOQUIN_STRIPPED_EXE} $<TARGET_FILE:pelloquin>
      COMMAND ${PELLOQUIN_MAKENSIS} -V2 ${PROJECT_BINARY_DIR}/installer/pelloquin.nsi
      DEPENDS pelloquin
      BYPRODUCTS ${PELLOQUIN_INSTALLER}
      COMMENT "Making the installer")
  endif()
endif()
