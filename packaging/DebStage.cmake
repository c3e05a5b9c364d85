# Run by cpack between staging the installed files and building the .deb
# (CPACK_PRE_BUILD_SCRIPTS), in the same scope as the DEB generator.
#
# Does what Debian's own tools would do to the program folder:
#  - strips programs and modules, dropping the .comment and .note sections
#    as well (shared objects keep only the symbols they export);
#  - computes the package's library dependencies with dpkg-shlibdeps and
#    sets CPACK_DEBIAN_PACKAGE_DEPENDS;
#  - adds lintian's overrides for the findings checked to be false
#    (packaging/lintian-overrides), which only the package needs.
# CPack's own dependency scan is switched off because it also adds ldconfig
# calls to postinst and postrm for any shared object under usr/lib, and the
# libraries here are private to the programs (found through $ORIGIN), so the
# dynamic linker's cache must not hear of them.
#
# Inputs from CPackConfig.cmake: CPACK_TEMPORARY_DIRECTORY (the staging
# root), CPACK_PACKAGING_INSTALL_PREFIX, CPACK_NV_PROGRAM_DIR (relative to
# the prefix), CPACK_NV_LINTIAN_OVERRIDES (the overrides file),
# CPACK_PACKAGE_NAME and CPACK_NV_EXTRA_DEPENDS (packages loaded at run time that
# no ELF file names, such as Qt's SVG plugin). Any failure stops cpack.

set(nv_stage "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_NV_PROGRAM_DIR}")
if(NOT IS_DIRECTORY "${nv_stage}")
  message(FATAL_ERROR "DebStage: no program folder at ${nv_stage}")
endif()

find_program(NV_STRIP NAMES strip REQUIRED)
find_program(NV_DPKG_SHLIBDEPS NAMES dpkg-shlibdeps REQUIRED)

# The staged folder is whatever the install rules put there; its ELF files
# are recognised by their magic number.
file(GLOB nv_candidates LIST_DIRECTORIES false "${nv_stage}/*")
set(nv_elf_files)
foreach(file IN LISTS nv_candidates)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  list(APPEND nv_elf_files "${file}")
  set(strip_args --remove-section=.comment --remove-section=.note)
  if(file MATCHES "\\.so$")
    list(APPEND strip_args --strip-unneeded)
  endif()
  execute_process(COMMAND "${NV_STRIP}" ${strip_args} "${file}"
                  RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "DebStage: strip ${file} failed: ${errors}")
  endif()
endforeach()
if(NOT nv_elf_files)
  message(FATAL_ERROR "DebStage: no programs in ${nv_stage}")
endif()

# dpkg-shlibdeps wants a debian/control beside it; the program folder is
# named as the private library folder, so libraries of our own are resolved
# there and add no dependency.
set(nv_shlibdeps_dir "${CPACK_TEMPORARY_DIRECTORY}/../nv-shlibdeps")
file(REMOVE_RECURSE "${nv_shlibdeps_dir}")
file(MAKE_DIRECTORY "${nv_shlibdeps_dir}/debian")
file(TOUCH "${nv_shlibdeps_dir}/debian/control")
execute_process(COMMAND "${NV_DPKG_SHLIBDEPS}" -O "-l${nv_stage}" ${nv_elf_files}
                WORKING_DIRECTORY "${nv_shlibdeps_dir}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE "${nv_shlibdeps_dir}")
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "DebStage: dpkg-shlibdeps failed: ${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
if(CPACK_NV_EXTRA_DEPENDS)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CPACK_NV_EXTRA_DEPENDS}")
endif()

set(nv_overrides_dir "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides")
file(MAKE_DIRECTORY "${nv_overrides_dir}")
file(COPY_FILE "${CPACK_NV_LINTIAN_OVERRIDES}" "${nv_overrides_dir}/${CPACK_PACKAGE_NAME}")
