# Two .debs from the one build, one per install component:
#   quenlo-fix  /usr/bin/quenlo-fix and its man page; needs no Qt and no X,
#               so that a file server can have the command line alone;
#   quenlo      /usr/bin/quenlo, its man page, the desktop entry, the type of
#               project files, the AppStream metainfo and the icon theme;
#               recommends quenlo-fix.
# Each carries the copyright and changelog that Debian asks of every package.
find_program(QUENLO_SCDOC scdoc REQUIRED)
find_program(QUENLO_GZIP gzip REQUIRED)

# A build without the window (QUENLO_BUILD_GUI=OFF) has quenlo-fix alone.
set(packages quenlo-fix)
if(TARGET quenlo)
    list(PREPEND packages quenlo)
endif()

# Man pages from their scdoc sources, compressed as Debian wants them; each
# goes to the package of its program.
foreach(page IN LISTS packages)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${page}.1.scd)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/manpage.sh ${QUENLO_SCDOC} ${source} ${out} ${QUENLO_GZIP} -9n
        DEPENDS ${source} ${CMAKE_CURRENT_SOURCE_DIR}/manpage.sh
        COMMENT "Making the man page ${page}(1)"
        VERBATIM)
    list(APPEND manpages ${out})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${page})
endforeach()
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND sh -c "\"$0\" -9n < \"$1\" > \"$2\"" ${QUENLO_GZIP} ${CMAKE_CURRENT_SOURCE_DIR}/changelog ${changelog}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/changelog
    VERBATIM)
add_custom_target(quenlo_linux_docs ALL DEPENDS ${manpages} ${changelog})

foreach(package IN LISTS packages)
    set(docdir ${CMAKE_INSTALL_DATADIR}/doc/${package})
    install(FILES ${changelog} ${CMAKE_CURRENT_SOURCE_DIR}/copyright DESTINATION ${docdir} COMPONENT ${package})
    set(overrides ${CMAKE_CURRENT_BINARY_DIR}/lintian/${package})
    configure_file(lintian-overrides.in ${overrides} @ONLY)
    install(FILES ${overrides} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${package})
endforeach()
if(TARGET quenlo)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${QUENLO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT quenlo)
    # The type of project files that the desktop entry names (MimeType=).
    # The shared-mime-info and desktop-file-utils packages watch these
    # folders with dpkg triggers and rebuild the MIME and desktop databases
    # themselves, so the package needs no scripts of its own for them.
    install(FILES ${PROJECT_SOURCE_DIR}/ui/${QUENLO_APP_ID}.mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${QUENLO_APP_ID}.xml COMPONENT quenlo)
endif()

# The installed programs keep no .comment section (the compiler's name), as
# dh_strip leaves them; CPack's own strip keeps it.
foreach(package IN LISTS packages)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${package}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endif()" COMPONENT ${package})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${packages})
set(CPACK_DEBIAN_PACKAGE_SOURCE quenlo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries each program links, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_QUENLO_PACKAGE_NAME quenlo)
set(CPACK_DEBIAN_QUENLO_PACKAGE_RECOMMENDS quenlo-fix)
set(CPACK_DEBIAN_QUENLO-FIX_PACKAGE_NAME quenlo-fix)

# Descriptions: the synopsis, then the text (packaging/cpack-options.cmake
# keeps CPack from putting the project's summary before them).
set(about
    "A MIRD project file (.PRJ) whose header holds the version marker /8203\n"
    "cannot be opened by the MIRD+ application until the marker is rewritten\n"
    "to /8202. Quenlo does exactly that, in place: only the marker's last digit\n"
    "changes, and the file's length never changes.\n")
string(JOIN "" CPACK_DEBIAN_QUENLO_DESCRIPTION
    "repair tool for MIRD project files\n" ${about} "\n"
    "This package holds the window: choose a project file, press Fix, and a\n"
    "message tells the outcome. The command quenlo-fix, for many files at\n"
    "once, comes in its own package.")
string(JOIN "" CPACK_DEBIAN_QUENLO-FIX_DESCRIPTION
    "command-line repair tool for MIRD project files\n" ${about} "\n"
    "This package holds the command quenlo-fix, which repairs the files named\n"
    "on its command line or found in the folders it walks, many at once. It\n"
    "needs no graphical desktop.")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cpack-options.cmake)
