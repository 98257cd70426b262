# Installation and packages: on Linux the program, its desktop entry and icons,
# and the Debian package; on Windows a zip of one folder with the program, its
# README and licence, which keeps its settings beside it.
include(GNUInstallDirs)

# The Debian package's maintainer. Whoever builds a package for others puts
# their own name and address here; the default names no one, on a domain that
# cannot exist (RFC 2606), rather than an address nobody reads.
set(PELLOQUIN_MAINTAINER "Unofficial build <nobody@pelloquin.invalid>"
    CACHE STRING "Name <address> of the package's maintainer")
# The AppStream id: a reverse domain name its publisher controls, the same for
# every release. The default, under the reserved "invalid" domain, claims none.
set(PELLOQUIN_APPSTREAM_ID "invalid.pelloquin.pelloquin"
    CACHE STRING "The AppStream component id")
# The address of a published picture of the main window (the screenshot
# program beside the Qt front end makes one), shown by software centres; none
# when empty.
set(PELLOQUIN_SCREENSHOT_URL "" CACHE STRING "The address of a screenshot of the main window")

# gzip -9n of SOURCE into OUTPUT, as Debian ships manual pages and changelogs.
function(pelloquin_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

# The manual page, the Debian copyright and changelog, and the AppStream
# metadata of a Linux install.
function(pelloquin_linux_documents)
  set(out ${PROJECT_BINARY_DIR}/documents)
  file(MAKE_DIRECTORY ${out})
  configure_file(${PROJECT_SOURCE_DIR}/assets/debian/changelog.in ${out}/changelog @ONLY)
  set(PELLOQUIN_METAINFO_URLS "")
  if(PELLOQUIN_HOMEPAGE_URL)
    string(APPEND PELLOQUIN_METAINFO_URLS
           "  <url type=\"homepage\">${PELLOQUIN_HOMEPAGE_URL}</url>\n")
  endif()
  set(PELLOQUIN_METAINFO_SCREENSHOTS "")
  if(PELLOQUIN_SCREENSHOT_URL)
    string(CONCAT PELLOQUIN_METAINFO_SCREENSHOTS
           "  <screenshots>\n"
           "    <screenshot type=\"default\">\n"
           "      <caption>The characters, with the loaded one's name below</caption>\n"
           "      <image>${PELLOQUIN_SCREENSHOT_URL}</image>\n"
           "    </screenshot>\n"
           "  </screenshots>\n")
  endif()
  set(metainfo ${out}/${PELLOQUIN_APPSTREAM_ID}.metainfo.xml)
  configure_file(${PROJECT_SOURCE_DIR}/assets/pelloquin.metainfo.xml.in ${metainfo} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/assets/pelloquin.1.in ${out}/pelloquin.1 @ONLY)
  pelloquin_gzip(${out}/pelloquin.1 ${out}/pelloquin.1.gz)
  pelloquin_gzip(${out}/changelog ${out}/changelog.gz)
  add_custom_target(documents ALL DEPENDS ${out}/pelloquin.1.gz ${out}/changelog.gz)

  install(FILES ${out}/pelloquin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/debian/copyright ${out}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelloquin)
endfunction()

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
    pelloquin_linux_documents()
  endif()
endif()

set(CPACK_PACKAGE_NAME pelloquin)
set(CPACK_PACKAGE_VENDOR "Pelloquin developers")
set(CPACK_PACKAGE_CONTACT "${PELLOQUIN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of at most 80 characters, as Debian's control files want them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Pelloquin keeps each Oblivion character's saves in a folder of its own and\n"
       "swaps the chosen character's saves into the game's save folder. It finds\n"
       "the save folder in Wine and Proton prefixes and starts the game's launcher.")
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
# A utility for a game, not a game.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
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
