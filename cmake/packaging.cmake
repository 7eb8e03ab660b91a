# The Linux program installed as a desktop expects it (cmake --install), and
# the Debian package of that (cpack, which scripts/package runs):
#   bin/                          celwrd, celwrd-chart, celwrd-replay
#   share/applications/           cellwarden.desktop
#   share/icons/hicolor/NxN/apps/ cellwarden.png, 16 to 256 px, from celwrd-icons
#   share/man/man1/               celwrd.1.gz, celwrd-chart.1.gz, celwrd-replay.1.gz
#   share/metainfo/               what software centres show (AppStream)
#   share/doc/cellwarden/         the help page, the example event script, copyright,
#                                 the release notes (changelog.gz)
include(GNUInstallDirs)

set(linux_files ${PROJECT_SOURCE_DIR}/packaging/linux)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/cellwarden)
# Directories as a package has them, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS celwrd celwrd-chart celwrd-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${linux_files}/cellwarden.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/celwrd.html ${linux_files}/AUTOEXEC.example.CLW
  DESTINATION ${doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${doc_dir} RENAME copyright)
install(FILES ${linux_files}/example.cellwarden.cellwarden.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The themed icons, drawn by the icon generator at build time.
set(hicolor_dir ${CMAKE_BINARY_DIR}/hicolor)
set(hicolor_pngs)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND hicolor_pngs ${hicolor_dir}/${size}x${size}/apps/cellwarden.png)
endforeach()
add_custom_command(OUTPUT ${hicolor_pngs}
  COMMAND celwrd-icons --hicolor ${hicolor_dir}
  DEPENDS celwrd-icons
  COMMENT "Drawing the themed icons")
# Man pages and the release notes compressed as Debian keeps them: no name
# or time in the gzip header, so the bytes depend on the text alone.
set(compressed_dir ${CMAKE_BINARY_DIR}/compressed)
set(man_pages)
foreach(file celwrd.1 celwrd-chart.1 celwrd-replay.1 changelog)
  add_custom_command(OUTPUT ${compressed_dir}/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed_dir}
    COMMAND gzip -9nc ${linux_files}/${file} > ${compressed_dir}/${file}.gz
    DEPENDS ${linux_files}/${file})
  if(file MATCHES "\\.1$")
    list(APPEND man_pages ${compressed_dir}/${file}.gz)
  endif()
endforeach()
add_custom_target(cellwarden_install_files ALL DEPENDS ${hicolor_pngs} ${man_pages} ${compressed_dir}/changelog.gz)
install(DIRECTORY ${hicolor_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Where Debian keeps the release notes of a package made by its own authors.
install(FILES ${compressed_dir}/changelog.gz DESTINATION ${doc_dir})

# ----- the Debian package
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/version.h release_line REGEX "define CELLWARDEN_RELEASE ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" CELLWARDEN_RELEASE "${release_line}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cellwarden)
set(CPACK_PACKAGE_VERSION ${CELLWARDEN_RELEASE})
set(CPACK_PACKAGE_VENDOR "the Cellwarden authors")
# Also the signature of packaging/linux/changelog (the package test compares them).
set(CPACK_PACKAGE_CONTACT "the Cellwarden authors <authors@cellwarden.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resident battery monitor for the tray, with a Japanese interface")
# Lines of at most 80 characters, as Debian's tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Cellwarden watches the power status and the battery charge, measures how long"
  "the charge takes to change by 1 %, and shows the charge, the time left and the"
  "clock time when charging or discharging ends in its window title and tray icon."
  "It plays sounds and runs programs on power changes, keeps a battery log"
  "(celwrd-chart draws it as a picture) and keeps its settings in a text file"
  "shared with the Windows program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened at the first sound rather than linked, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcanberra0")
# The freedesktop sounds the program plays by name, and their way to
# PulseAudio or PipeWire.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sound-theme-freedesktop, libcanberra-pulse")
# xz writes no time stamp, so the package is the same on every run.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
