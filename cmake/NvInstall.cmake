# Installation and the Debian package.
#
#   <prefix>/lib/nv/         the program folder: programs, modules, the
#                            platform library and the help file, which the
#                            programs find beside themselves ($ORIGIN)
#   <prefix>/bin/            launchers: links into the program folder
#   <prefix>/share/...       desktop entries, icons, MIME types, software-
#                            centre metadata, manual pages (compressed),
#                            copyright and changelog
#
# Included from the top level after every target is defined.
include(GNUInstallDirs)

set(NV_PROGRAM_DIR lib/nv)
set(NV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(NV_PACKAGE_NAME doorbell-melodies)
set(NV_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${NV_PACKAGE_NAME})

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

# Manual pages and the changelog are installed compressed, as man and the
# distribution expect; gzip -n keeps name and time out of the archive, so the
# same text always gives the same bytes.
find_program(NV_GZIP gzip REQUIRED)
set(nv_compressed_dir ${CMAKE_BINARY_DIR}/packaging)
set(nv_compressed_files)
function(nv_compress source)
  get_filename_component(name ${source} NAME)
  set(output ${nv_compressed_dir}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${nv_compressed_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${nv_compressed_dir}/${name}
    COMMAND ${NV_GZIP} -9nf ${nv_compressed_dir}/${name}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(nv_compressed_files ${nv_compressed_files} ${output} PARENT_SCOPE)
endfunction()

foreach(program IN LISTS nv_programs)
  nv_compress(${NV_PACKAGING_DIR}/${program}.1)
  install(FILES ${nv_compressed_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
nv_compress(${NV_PACKAGING_DIR}/changelog)
add_custom_target(nv_compressed_docs ALL DEPENDS ${nv_compressed_files})

install(FILES ${nv_compressed_dir}/changelog.gz ${NV_PACKAGING_DIR}/copyright DESTINATION ${NV_PACKAGE_DOC_DIR})
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
    install(FILES ${NV_PACKAGING_DIR}/metainfo/org.nvdoorbell.${program}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    set(icon ${nv_icon_${program}})
    if(NOT EXISTS ${icon})
      set(icon ${NV_PACKAGING_DIR}/icons/${program}.svg)
    endif()
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${program}.svg)
  endforeach()
endif()

# The Debian package: cpack -G DEB in the build folder (scripts/check-package.sh
# builds it from a build with the distribution's hardening flags and runs
# lintian on it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NV_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for the melodies of a musical doorbell")
# Lines of at most 80 characters; an empty line is a paragraph break, and
# the closing bracket on a line of its own keeps the last line's indent.
set(CPACK_PACKAGE_DESCRIPTION [[
Desktop tools for short monophonic melodies of a musical doorbell, with a
Russian user interface:

 - Notara, a staff-notation melody editor with sound, undo, MIDI import of a
   fragment of one channel and MIDI export;
 - Setora, an editor of melody sets, measured in note symbols against the
   doorbell's memory;
 - Dinova, the doorbell programmer: status, append melodies and sets, read
   them back, clear, selection mode, over a parallel port, an I2C adapter or
   a simulated doorbell kept in a file;
 - nvtool, the same work from the command line and in scripts, with WAV and
   staff rendering and a doorbell simulator.
]])
set(CPACK_PACKAGE_CONTACT "Doorbell Melodies Team <team@nvdoorbell.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://nvdoorbell.org/)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Stripping and the library dependencies come from packaging/DebStage.cmake
# (CPack's own scan would add ldconfig calls for the private libraries).
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${NV_PACKAGING_DIR}/DebStage.cmake)
set(CPACK_NV_PROGRAM_DIR ${NV_PROGRAM_DIR})
set(CPACK_NV_LINTIAN_OVERRIDES ${NV_PACKAGING_DIR}/lintian-overrides)
# The programs' icons are SVG files, drawn by Qt's SVG plugins.
set(CPACK_NV_EXTRA_DEPENDS "libqt6svg6")
# Arial in the melody editor resolves to a face with its metrics; Qt's own
# dialogs speak Russian with the programs when Qt's translations are there;
# the staff's glyphs come from the engraving font when it is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n, lilypond-fonts")
include(CPack)
