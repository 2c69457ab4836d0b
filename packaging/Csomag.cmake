# Installing DorvPrg as a Linux desktop program, and its Debian package (scripts/package.sh).
# The install rules put the program into bin/ and its shared files into share/; the program
# recognises that layout (bin/../share/dorvprg) and keeps each user's files in the user's
# data folder.
include(GNUInstallDirs)

set(CSOMAG_MAPPA ${CMAKE_SOURCE_DIR}/packaging)
set(CSOMAG_ID hu.pelikor.dorvprg)
set(CSOMAG_GZ ${CMAKE_BINARY_DIR}/csomag)

install(TARGETS dorvprg RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/Help DESTINATION ${CMAKE_INSTALL_DATADIR}/dorvprg)
install(FILES ${CSOMAG_MAPPA}/${CSOMAG_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CSOMAG_MAPPA}/${CSOMAG_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CSOMAG_MAPPA}/ikon/${CSOMAG_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(n 16 22 24 32 48 64 128 256)
  install(FILES ${CSOMAG_MAPPA}/ikon/${CSOMAG_ID}-${n}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${n}x${n}/apps RENAME ${CSOMAG_ID}.png)
endforeach()
install(FILES ${CSOMAG_MAPPA}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvprg)

# Manual pages and the changelog go in compressed as Debian wants them (gzip -9n: no name, no
# time stamp); made at configure time, so packing needs no build step of its own.
function(csomag_gzip forras cel)
  get_filename_component(mappa ${cel} DIRECTORY)
  file(MAKE_DIRECTORY ${mappa})
  execute_process(COMMAND gzip -9nc ${forras} OUTPUT_FILE ${cel} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${forras}: ${rc}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${forras})
endfunction()
csomag_gzip(${CSOMAG_MAPPA}/man/dorvprg.1 ${CSOMAG_GZ}/man1/dorvprg.1.gz)
csomag_gzip(${CSOMAG_MAPPA}/man/hu/dorvprg.1 ${CSOMAG_GZ}/hu/man1/dorvprg.1.gz)
csomag_gzip(${CSOMAG_MAPPA}/changelog ${CSOMAG_GZ}/changelog.gz)
install(FILES ${CSOMAG_GZ}/man1/dorvprg.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CSOMAG_GZ}/hu/man1/dorvprg.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/hu/man1)
install(FILES ${CSOMAG_GZ}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvprg)

# Packing takes the program as built: the install step must not build every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dorvprg)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pelikor Bt.")
set(CPACK_PACKAGE_CONTACT "Pelikor Bt. <info@pelikor.hu>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register of the warranty letters of a car-parts workshop")
set(CPACK_PACKAGE_DESCRIPTION
  "DorvPrg keeps the warranty letters a workshop that sells and fits car parts
hands to its customers, with their brands, parts, customers, notes and
attached documents; it prints the letters and lists, exports them and
archives the register. The user interface is Hungarian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.pelikor.hu)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# libraries from the binary (libqrencode4 for the letters' code among them); the SQL drivers
# and the fonts are loaded at run time; pg_dump packs a register kept on a PostgreSQL server
# into the archive; xdg-email hands a printout to the mail program
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqrencode4, fonts-wine, fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql-client, xdg-utils")
include(CPack)
