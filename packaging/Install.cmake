# Installing Kelmoro on a Linux desktop: the menu entry, the application icon
# in the hicolor theme, the manual pages, and a Debian package built by CPack
# from the same install rules. The programs install their own binaries.
include(GNUInstallDirs)

set(KELMORO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KELMORO_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/../res)

install(FILES ${KELMORO_PACKAGING_DIR}/kelmoro.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# What software centres list (AppStream), beside the menu entry it names.
install(FILES ${KELMORO_PACKAGING_DIR}/kelmoro.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The theme looks the icon up by name ("Icon=kelmoro"), one file per size.
set(KELMORO_ICON_FILES_16 kelmoro-16.png)
set(KELMORO_ICON_FILES_32 kelmoro.png)
foreach(size 16 32 48 64 128 256)
  if(DEFINED KELMORO_ICON_FILES_${size})
    set(icon ${KELMORO_ICON_FILES_${size}})
  else()
    set(icon kelmoro-${size}.png)
  endif()
  install(FILES ${KELMORO_RES_DIR}/${icon}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kelmoro.png)
endforeach()
install(FILES ${KELMORO_RES_DIR}/kelmoro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The README with its screenshots: the program's Help menu opens it as the
# project's home page (there is no web site).
install(FILES ${KELMORO_PACKAGING_DIR}/../README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelmoro)
file(GLOB KELMORO_README_PICTURES ${KELMORO_PACKAGING_DIR}/../docs/*.png)
install(FILES ${KELMORO_README_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelmoro/docs)

# The license, machine-readable (DEP-5), and the changelog, where Debian
# keeps them for every package.
install(FILES ${KELMORO_PACKAGING_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelmoro)

# Manual pages and the changelog go in gzip-compressed, without a time stamp (gzip -n), so a
# rebuild gives identical files, as Debian packages expect.
find_program(KELMORO_GZIP gzip)
foreach(page kelmoro.1 kelmoro-cli.1)
  set(source ${KELMORO_PACKAGING_DIR}/${page})
  if(KELMORO_GZIP)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
      COMMAND ${KELMORO_GZIP} -9nc ${source} > ${compressed}
      DEPENDS ${source}
      COMMENT "Compressing manual page ${page}"
      VERBATIM)
    list(APPEND KELMORO_MAN_PAGES ${compressed})
  else()
    list(APPEND KELMORO_MAN_PAGES ${source})
  endif()
endforeach()
add_custom_target(kelmoro_man_pages ALL DEPENDS ${KELMORO_MAN_PAGES})
if(KELMORO_GZIP)
  set(KELMORO_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
  add_custom_command(OUTPUT ${KELMORO_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND ${KELMORO_GZIP} -9nc ${KELMORO_PACKAGING_DIR}/debian/changelog > ${KELMORO_CHANGELOG}
    DEPENDS ${KELMORO_PACKAGING_DIR}/debian/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
  add_custom_target(kelmoro_changelog ALL DEPENDS ${KELMORO_CHANGELOG})
  install(FILES ${KELMORO_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelmoro)
endif()
install(FILES ${KELMORO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# kelmoro-cli's shell completions, each where its shell looks for them
# (bash-completion's completionsdir, zsh's site-functions, fish's vendor
# completions).
set(KELMORO_COMPLETIONS_DIR ${CMAKE_CURRENT_LIST_DIR}/../cli/completions)
install(FILES ${KELMORO_COMPLETIONS_DIR}/kelmoro-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelmoro-cli)
install(FILES ${KELMORO_COMPLETIONS_DIR}/_kelmoro-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
install(FILES ${KELMORO_COMPLETIONS_DIR}/kelmoro-cli.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# ---- Debian package: cpack -G DEB in the build folder ----
set(CPACK_PACKAGE_NAME kelmoro)
set(CPACK_PACKAGE_VENDOR "Kelmoro developers")
set(CPACK_PACKAGE_CONTACT "Kelmoro developers <kelmoro@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converter from WAV files to Sun AU files (8-bit mu-law, mono, 8012 Hz)")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelmoro converts an uncompressed PCM WAVE file into a Sun AU file: 8-bit\n\
mu-law, one channel, 8012 samples per second, written beside the input.\n\
The package holds the desktop program kelmoro, whose windows are in\n\
Japanese, and the command-line tool kelmoro-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies (libc, wxWidgets and GTK for the desktop program)
# are read from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libsoxr does the band-limited rate change of kelmoro-cli --filter. Named
# here as well, so the package needs it even where the linker (--as-needed)
# leaves the library out of a binary that does not call it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsoxr0")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR DEB)
include(CPack)
