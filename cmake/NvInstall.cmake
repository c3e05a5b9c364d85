# Installation and the Debian package.
#
#   <prefix>/lib/nv/         the program folder: programs, modules, the
#                            platform library and the help file, which the
#                            programs find beside themselves ($ORIGIN)
#   <prefix>/bin/            launchers: links into the program folder
#   <prefix>/share/...       desktop entries, icons, MIME types, manual page
#
# Included from the top level after every target is defined.
include(GNUInstallDirs)

set(NV_PROGRAM_DIR lib/nv)
set(NV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

set(nv_programs nvtool)
if(NV_BUILD_GUI)
  foreach(program notara setora dinova)
    if(TARGET ${program})
      list(APPEND nv_programs ${program})
    endif()
  endforeach()
endif()

install(TARGETS ${nv_programs} nvplatform sonvox chimox portix
  RUNTIME DESTINATION ${NV_PROGRAM_DIR}
  LIBRARY DESTINATION ${NV_PROGRAM_DIR})
if(TARGET help_file)
  install(FILES ${CMAKE_BINARY_DIR}/bin/Vireon.chm DESTINATION ${NV_PROGRAM_DIR})
endif()

# Launchers: relative links, so the installed tree can move (and a package
# can be staged) as a whole. The programs find their folder through the link.
set(nv_launcher_dir ${CMAKE_BINARY_DIR}/launchers)
file(MAKE_DIRECTORY ${nv_launcher_dir})
foreach(program IN LISTS nv_programs)
  file(CREATE_LINK ../${NV_PROGRAM_DIR}/${program} ${nv_launcher_dir}/${program} SYMBOLIC)
  install(FILES ${nv_launcher_dir}/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${NV_PACKAGING_DIR}/nvtool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${NV_PACKAGING_DIR}/doorbell-melodies.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Desktop entries and icons of the programs that are built; each program's
# own icon where it has one as a file.
if(NV_BUILD_GUI)
  set(nv_icon_notara ${PROJECT_SOURCE_DIR}/notara/app/resources/icons/notara.svg)
  set(nv_icon_setora ${PROJECT_SOURCE_DIR}/setora/app/resources/icons/setora.svg)
  set(nv_icon_dinova ${PROJECT_SOURCE_DIR}/dinova/app/resources/icons/bell.svg)
  foreach(program notara setora dinova)
    if(NOT TARGET ${program})
      continue()
    endif()
    install(FILES ${NV_PACKAGING_DIR}/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    set(icon ${nv_icon_${program}})
    if(NOT EXISTS ${icon})
      set(icon ${NV_PACKAGING_DIR}/icons/${program}.svg)
    endif()
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${program}.svg)
  endforeach()
endif()

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME doorbell-melodies)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Doorbell melody editor, melody set editor, doorbell programmer and command-line tool")
set(CPACK_PACKAGE_DESCRIPTION
    "Desktop tools for short monophonic melodies of a musical doorbell: a staff-notation melody editor with \
MIDI import and export, a melody set editor, a programmer that writes melody sets into the doorbell's \
serial memory over a parallel port, an I2C adapter or a simulated doorbell, and the command-line tool nvtool.")
set(CPACK_PACKAGE_CONTACT "Doorbell melodies developers <doorbell-melodies@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform library lives in the program folder, not where the system looks.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# The programs' icons are SVG files, drawn by Qt's SVG plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_STRIP_FILES ON)
# Arial in the melody editor resolves to a face with its metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
include(CPack)
