# Installation and the Debian package (cpack -G DEB, see packaging/build-package.sh).
#
# Installed layout (prefix /usr in the package):
#   bin/kelmora-cli, bin/kelmora (when the desktop program is built)
#   share/kelmora/          default.km2, language files, message declaration files, README.md
#   share/man/man1/         kelmora-cli.1.gz, kelmora.1.gz
#   share/applications/     kelmora.desktop      } with the desktop program
#   share/icons/hicolor/    kelmora.svg and PNGs }
#   share/bash-completion/completions/kelmora-cli
#   share/doc/kelmora/      copyright, changelog.gz
# The programs find share/kelmora relative to their own folder; the user's files live in
# $XDG_CONFIG_HOME/kelmora (see src/core/shell/startup.h).
include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(packaging_source ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(shared_data_destination ${CMAKE_INSTALL_DATADIR}/kelmora)
set(doc_destination ${CMAKE_INSTALL_DATADIR}/doc/kelmora)

set(programs kelmora-cli)
if(TARGET kelmora)
  list(APPEND programs kelmora)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package) also drops the compiler's notes that strip keeps.
foreach(program IN LISTS programs)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
    endif()
  ")
endforeach()

# Manual pages and the changelog carry the project's version and are gzip'd without a time
# stamp, so the same sources always give the same package.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(gzipped_files)
function(kelmora_gzipped_file source output)
  configure_file(${source} ${packaging_build}/${output} @ONLY)
  add_custom_command(
    OUTPUT ${packaging_build}/${output}.gz
    COMMAND ${GZIP_PROGRAM} -9nf -k ${packaging_build}/${output}
    DEPENDS ${packaging_build}/${output}
    COMMENT "Compressing ${output}")
  set(gzipped_files ${gzipped_files} ${packaging_build}/${output}.gz PARENT_SCOPE)
endfunction()
set(KELMORA_VERSION ${PROJECT_VERSION})
foreach(program IN LISTS programs)
  kelmora_gzipped_file(${packaging_source}/man/${program}.1 ${program}.1)
  install(FILES ${packaging_build}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
kelmora_gzipped_file(${packaging_source}/changelog changelog)
add_custom_target(kelmora-packaging-files ALL DEPENDS ${gzipped_files})

install(FILES ${packaging_build}/changelog.gz ${packaging_source}/copyright
        DESTINATION ${doc_destination})
install(FILES ${packaging_source}/lintian/kelmora
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)
install(FILES ${packaging_source}/bash-completion/kelmora-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The shared data: what the build copies next to the executables (default settings,
# language files) plus message declaration files generated there, and the README. Globbed
# when installing, so files added later are taken without a new configure.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${shared_data_destination})
install(CODE "
  file(GLOB shared_data
    \"${CMAKE_SOURCE_DIR}/data/*.km2\" \"${CMAKE_SOURCE_DIR}/data/*.ln\"
    \"${CMAKE_SOURCE_DIR}/data/*.pas\" \"${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/*.pas\")
  if(shared_data)
    file(INSTALL \${shared_data}
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${shared_data_destination}\"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
")

# The desktop entry and the icon belong to the desktop program.
if(TARGET kelmora)
  install(FILES ${packaging_source}/kelmora.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging_source}/icons/kelmora.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${packaging_source}/icons/kelmora-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME kelmora.png)
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelmora maintainers")
set(CPACK_PACKAGE_CONTACT "Kelmora maintainers <maintainers@users.noreply.c-seed-fe7e48f3.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "static web photo gallery creator")
if(TARGET kelmora)
  set(package_programs "the desktop program kelmora and the command line program\nkelmora-cli")
else()
  set(package_programs "the command line program kelmora-cli")
endif()
# The extended description; the summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelmora turns a folder of camera pictures (JPEG, BMP, TIFF) into a static
web gallery: resized images, thumbnails, thumbnail pages and one page per
picture, all made from HTML templates the user edits, sorted by the EXIF
capture date or by name. It reads EXIF, maker-note and IPTC metadata.
.
This package holds ${package_programs}.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window opens the finished gallery and the README with the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
