# Install rules and the Debian package.
#
# `cmake --install build --prefix P` lays out P/bin/nimbrel and
# P/bin/nimbrel-capture, the sprite in P/share/nimbrel/, the desktop entry,
# icons, AppStream metadata, the screensaver's files, manual pages and
# documents. The program finds its data relative to its own folder, so the
# tree can be moved.
# `cpack -G DEB` (make package) packs the same tree under /usr.

set(CMAKE_INSTALL_DOCDIR share/doc/nimbrel)
include(GNUInstallDirs)
set(NIMBREL_ID org.nimbrel.Nimbrel)

# Manual pages from their scdoc sources, compressed (gzip -n: no time
# stamp, so the package is reproducible). The date they show is the
# release's.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(NIMBREL_RELEASE_EPOCH 1796774400)  # 2026-12-09, the release in data/debian/changelog
set(NIMBREL_MAN_PAGES)
foreach(page nimbrel.1 nimbrel-capture.1)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${NIMBREL_RELEASE_EPOCH}
            ${CMAKE_SOURCE_DIR}/tools/make-man-page.sh ${CMAKE_SOURCE_DIR}/doc/${page}.scd ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/doc/${page}.scd ${CMAKE_SOURCE_DIR}/tools/make-man-page.sh
    COMMENT "Making the manual page ${page}"
    VERBATIM)
  list(APPEND NIMBREL_MAN_PAGES ${out})
endforeach()
set(NIMBREL_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${NIMBREL_CHANGELOG}
  COMMAND sh -c "'${GZIP}' -9n < '${CMAKE_SOURCE_DIR}/data/debian/changelog' > '${NIMBREL_CHANGELOG}'"
  DEPENDS ${CMAKE_SOURCE_DIR}/data/debian/changelog
  VERBATIM)
add_custom_target(install_documents ALL DEPENDS ${NIMBREL_MAN_PAGES} ${NIMBREL_CHANGELOG})

# The installed tree's folders are 0755, as files (0644) and programs (0755)
# are by default, and not what the umask of whoever installs would give
# them. (A umask that takes more than the group's write still trims what
# mkdir is asked for: the folders that are Nimbrel's own are set once more
# at the end, and the package is built under 022.)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

install(TARGETS nimbrel nimbrel-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${NIMBREL_SPRITE} DESTINATION ${CMAKE_INSTALL_DATADIR}/nimbrel)
install(FILES ${NIMBREL_PRESETS} DESTINATION ${CMAKE_INSTALL_DATADIR}/nimbrel/presets)
install(FILES data/${NIMBREL_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${NIMBREL_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES data/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${NIMBREL_ID}.png)
endforeach()
# The screensaver: XScreenSaver's description of it (a preset menu and
# sliders, which become --preset and --set), and the program where it
# looks for its hacks, a relative link to the one in bin, which finds its
# data from where it really is.
install(FILES data/xscreensaver/nimbrel.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(CODE "
  set(hacks \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
  file(MAKE_DIRECTORY \"\${hacks}\")
  file(CREATE_LINK ../../${CMAKE_INSTALL_BINDIR}/nimbrel \"\${hacks}/nimbrel\" SYMBOLIC)")
install(FILES ${NIMBREL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE data/debian/copyright ${NIMBREL_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's picture, where the README points.
install(FILES data/screenshot.png DESTINATION ${CMAKE_INSTALL_DOCDIR}/data)
# Nimbrel's own folders; those it shares with other programs keep what the
# installer's umask gives them.
foreach(own ${CMAKE_INSTALL_DATADIR}/nimbrel ${CMAKE_INSTALL_DATADIR}/nimbrel/presets ${CMAKE_INSTALL_DOCDIR}
            ${CMAKE_INSTALL_DOCDIR}/data)
  install(CODE "file(CHMOD \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${own}\" DIRECTORY_PERMISSIONS
    \${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})")
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time smoke simulation you tune while it runs")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Nimbrel authors <authors@nimbrel.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis line is the summary above; this is the rest.
set(CPACK_PACKAGE_DESCRIPTION "Nimbrel streams up to 100,000 particles out of a small two-lobed emitter
and draws them as textured, additively blended OpenGL point sprites. Tune
drift, spread, turbulence, lifetime, count, opacity, sprite size, emitter
and camera while it runs, turn the view with the mouse, and save the
picture. The capture tool, nimbrel-capture, renders the smoke at a fixed
frame rate to PNG files or a video.")
# The libraries the programs link come from dpkg-shlibdeps. Mesa's drivers
# and its EGL are loaded at run time, so no linker sees them: the software
# renderer draws wherever no other GL does, and the capture tool draws
# through EGL.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl1, libegl-mesa0")
# Videos are made by the ffmpeg program; message boxes are drawn with the
# core X fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, xfonts-base")
# It runs as a screensaver under XScreenSaver.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
include(CPack)
