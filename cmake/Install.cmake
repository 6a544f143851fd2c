# Installs chimebox like any desktop program (the binary, its menu entry, icon,
# AppStream metainfo, manual page, copyright and changelog in the standard
# places) and describes the Debian package that `cpack -G DEB` builds from a
# release build.
include(GNUInstallDirs)

# The installed menu entry tells an installed copy from any other, which keeps
# its settings beside itself; seen from the executable, so any prefix will do.
file(RELATIVE_PATH menu_entry_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/applications/${CHIMEBOX_APP_ID}.desktop)
target_compile_definitions(chimebox_core PRIVATE
  CHIMEBOX_MENU_ENTRY_FROM_BINDIR="${menu_entry_from_bindir}")

install(TARGETS chimebox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (CPack's, or `cmake --install --strip`) also drops the
# compilers' version notes, as Debian's own packages do.
if(CMAKE_OBJCOPY)
  install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:chimebox>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
endif()
install(FILES data/${CHIMEBOX_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${CHIMEBOX_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/${CHIMEBOX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page carries the version and the date of its release in the
# metainfo; it and the changelog are compressed as Debian wants them (gzip -9n:
# no name, no time stamp), which man and zless read anywhere.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  data/${CHIMEBOX_APP_ID}.metainfo.xml)
file(STRINGS data/${CHIMEBOX_APP_ID}.metainfo.xml release
  REGEX "<release version=\"${PROJECT_VERSION}\"")
string(REGEX REPLACE ".* date=\"([0-9-]+)\".*" "\\1" CHIMEBOX_RELEASE_DATE "${release}")
if(NOT CHIMEBOX_RELEASE_DATE MATCHES "^[0-9]+-[0-9]+-[0-9]+$")
  message(FATAL_ERROR "The metainfo has no dated release ${PROJECT_VERSION}")
endif()
configure_file(data/chimebox.1.in chimebox.1 @ONLY)
configure_file(data/changelog changelog COPYONLY)
find_program(CHIMEBOX_GZIP gzip REQUIRED)
foreach(file chimebox.1 changelog)
  execute_process(COMMAND ${CHIMEBOX_GZIP} -9nf ${file}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/chimebox.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
# first file plays, and libpulse with its GLib main loop when the program first
# asks the sound server, so no linker entry names them and they are declared
# here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, libpulse0, libpulse-mainloop-glib0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, xdg-utils")
include(CPack)
