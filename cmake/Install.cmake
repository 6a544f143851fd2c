# Installs chimebox like any desktop program (the binary, its menu entry, icon
# and AppStream metainfo in the standard places) and describes the Debian
# package that `cpack -G DEB` builds from a release build.
include(GNUInstallDirs)

set(CHIMEBOX_APP_ID io.github.chimebox.Chimebox)

# The installed menu entry tells an installed copy from any other, which keeps
# its settings beside itself; seen from the executable, so any prefix will do.
file(RELATIVE_PATH menu_entry_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/applications/${CHIMEBOX_APP_ID}.desktop)
target_compile_definitions(chimebox_core PRIVATE
  CHIMEBOX_MENU_ENTRY_FROM_BINDIR="${menu_entry_from_bindir}")

install(TARGETS chimebox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${CHIMEBOX_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${CHIMEBOX_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/${CHIMEBOX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CHIMEBOX_MAINTAINER "chimebox maintainers <chimebox@example.org>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chimebox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio player with a daily alarm")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CHIMEBOX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above becomes the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "chimebox plays the audio files of a folder (wav, mp3, wma) one after the
other, wrapping from the last to the first, until you press stop. A play
timer starts the selected file at a chosen time once a day, a stop timer
stops playback at a chosen minute, and a list of favourite folders lets you
jump between folders. The user interface is in Japanese.")
# dpkg-shlibdeps finds Qt and the C++ runtime; libmpv is opened only when the
# first file plays, so no linker entry names it and it is declared here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, xdg-utils")
include(CPack)
