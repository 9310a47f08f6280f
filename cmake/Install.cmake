# Install rules (make install, cmake --install) and the Debian package
# (make package). The version is the project's; the release date beside it.

include(GNUInstallDirs)
# Debian's documentation folder is the package's name, in lower case.
set(TALLYPORT_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tallyport)
# udev and systemd-modules-load read <prefix>/lib, never the multiarch libdir.
set(TALLYPORT_UDEV_RULES_DIR lib/udev/rules.d CACHE PATH "udev rules, below the prefix")
set(TALLYPORT_MODULES_LOAD_DIR lib/modules-load.d CACHE PATH "modules loaded at boot, below the prefix")
set(TALLYPORT_MAINTAINER "Tallyport developers <maintainers@tallyport.example>" CACHE STRING
    "the package's maintainer")
set(TALLYPORT_APP_ID org.tallyport.Tallyport)

install(TARGETS tallyport tallyport-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/udev/60-tallyport-i2c.rules DESTINATION ${TALLYPORT_UDEV_RULES_DIR})
install(FILES dist/modules-load/tallyport.conf DESTINATION ${TALLYPORT_MODULES_LOAD_DIR})
install(FILES dist/desktop/${TALLYPORT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(dist/desktop/${TALLYPORT_APP_ID}.metainfo.xml.in ${TALLYPORT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${TALLYPORT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES dist/icons/tallyport.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES dist/icons/tallyport-${size}.png RENAME tallyport.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES dist/completion/tallyport-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
add_test(NAME bash_completion
  COMMAND ${CMAKE_SOURCE_DIR}/tests/package/completion.sh ${CMAKE_SOURCE_DIR}/dist/completion/tallyport-cli
          $<TARGET_FILE_DIR:tallyport-cli>)

# Debian wants a gzipped changelog beside the copyright, dated as released.
execute_process(COMMAND date -u -R -d "${TALLYPORT_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TALLYPORT_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(dist/deb/changelog.in changelog @ONLY)
execute_process(COMMAND gzip -9n INPUT_FILE ${CMAKE_BINARY_DIR}/changelog OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES README.md dist/deb/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${TALLYPORT_DOCDIR})

# Man pages come from the built programs' --help, so they follow the commands.
# Not from sanitizer builds: their programs' exit reports would stop the build.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT TALLYPORT_SANITIZE)
  set(MAN_SCRIPT ${CMAKE_SOURCE_DIR}/dist/man/make-man.sh)
  add_custom_command(OUTPUT tallyport.1.gz
    COMMAND ${MAN_SCRIPT} $<TARGET_FILE:tallyport> tallyport.1.gz ${CMAKE_SOURCE_DIR}/dist/man/tallyport.h2m
            "desktop workbench for the I2C bus" "tallyport ${PROJECT_VERSION}"
    DEPENDS tallyport ${MAN_SCRIPT} dist/man/tallyport.h2m VERBATIM)
  add_custom_command(OUTPUT tallyport-cli.1.gz
    COMMAND ${MAN_SCRIPT} $<TARGET_FILE:tallyport-cli> tallyport-cli.1.gz ${CMAKE_SOURCE_DIR}/dist/man/tallyport-cli.h2m
            "the I2C bus from a shell"
    DEPENDS tallyport-cli ${MAN_SCRIPT} dist/man/tallyport-cli.h2m VERBATIM)
  add_custom_target(man ALL DEPENDS tallyport.1.gz tallyport-cli.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/tallyport.1.gz ${CMAKE_BINARY_DIR}/tallyport-cli.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "no man pages: help2man missing (make install and make package install it) or a sanitizer build")
endif()

# ---------------------------------------------------------------- Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyport)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TALLYPORT_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/dist/deb/postinst ${CMAKE_SOURCE_DIR}/dist/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop workbench for the I2C bus")
# CPack puts the summary first and indents the paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tallyport is for engineers bringing up or testing I2C chips. One main window
holds a window per chip family: I/O expanders, LED dimmers and blinkers,
multiplexers and switches, temperature sensors, a real-time clock, serial
EEPROM and RAM/FRAM memories with a hex editor; an expert mode sends raw bus
messages and sequences, and a bus log and a bus scan show what happened.

It works with every I2C adapter Linux offers through i2c-dev (USB bridges,
a board's I2C controllers, the PC's SMBus) and, without hardware, on a
built-in simulated bench. tallyport-cli does the same from a shell.

The package loads i2c-dev and lets members of the group i2c use the buses
without root.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
