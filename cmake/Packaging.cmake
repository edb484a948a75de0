# The Debian package: what goes into it beside the programs, and CPack's DEB
# generator. `make package` runs cpack in the normal build folder, so the
# package holds exactly the binaries the tests ran.

# The version every program prints is the one the package carries.
target_compile_definitions(korvanta_core PUBLIC KORVANTA_VERSION="${PROJECT_VERSION}")

include(GNUInstallDirs)
set(KORVANTA_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(KORVANTA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvanta)

# Manual pages from the programs' own --help, remade whenever a program changes,
# so that a new option or subcommand cannot be missing from them.
set(KORVANTA_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(KORVANTA_MAN_PAGES)
# packaging/TARGET.h2m, when there is one, adds sections that --help has no room for.
function(korvanta_man_page target name_line)
  set(page ${KORVANTA_MAN_DIR}/${target}.1.gz)
  set(extra)
  if(EXISTS ${KORVANTA_PACKAGING}/${target}.h2m)
    set(extra ${KORVANTA_PACKAGING}/${target}.h2m)
  endif()
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVANTA_MAN_DIR}
    COMMAND ${KORVANTA_PACKAGING}/make-man-page.sh $<TARGET_FILE:${target}> ${name_line} ${page} ${extra}
    DEPENDS ${target} ${KORVANTA_PACKAGING}/make-man-page.sh ${extra}
    COMMENT "Writing the manual page ${target}(1)"
    VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(KORVANTA_MAN_PAGES ${KORVANTA_MAN_PAGES} ${page} PARENT_SCOPE)
endfunction()
korvanta_man_page(korvanta-cli "run and check Intel 8085 programs without a window")
if(TARGET korvanta)
  korvanta_man_page(korvanta "the Intel 8085 simulator for learners")
endif()

# Debian wants the changelog compressed, without a time stamp in the gzip header.
set(KORVANTA_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${KORVANTA_CHANGELOG}
  COMMAND gzip -n -9 -c ${KORVANTA_PACKAGING}/changelog > ${KORVANTA_CHANGELOG}
  DEPENDS ${KORVANTA_PACKAGING}/changelog
  COMMENT "Compressing the changelog")
add_custom_target(korvanta_package_files ALL DEPENDS ${KORVANTA_MAN_PAGES} ${KORVANTA_CHANGELOG})

install(FILES ${KORVANTA_PACKAGING}/copyright ${KORVANTA_CHANGELOG} DESTINATION ${KORVANTA_DOC_DIR})
install(FILES ${KORVANTA_PACKAGING}/korvanta-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME korvanta.xml)
if(TARGET korvanta)
  install(FILES ${KORVANTA_PACKAGING}/org.ombrix.Korvanta.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanta)
set(CPACK_PACKAGE_VENDOR Ombrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ombrix <korvanta@ombrix.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Intel 8085 simulator for learners")
set(CPACK_PACKAGE_DESCRIPTION
  "Korvanta simulates the Intel 8085 processor for students meeting a
microprocessor for the first time. Programs are typed in 8085 assembly
language line by line, assembled into a 4 KB memory window and run at full
speed or one instruction at a time while the registers, flags and memory
change on screen. Projects can be saved, exported as text and printed.

The package also holds korvanta-cli, which runs the same simulator without
a window, for teachers grading projects and for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ombrix.org/korvanta/)
# dpkg-shlibdeps works out Depends from the libraries the binaries link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
