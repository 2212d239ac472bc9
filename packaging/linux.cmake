# The .deb: /usr/bin/quenlo and /usr/bin/quenlo-fix with their man pages, the
# desktop entry, the AppStream metainfo, the icon theme, and the copyright and
# changelog that Debian asks of every package.
find_program(QUENLO_SCDOC scdoc REQUIRED)
find_program(QUENLO_GZIP gzip REQUIRED)

# Man pages from their scdoc sources, compressed as Debian wants them.
set(pages quenlo quenlo-fix)
set(manpages)
foreach(page IN LISTS pages)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${page}.1.scd)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND sh -c "\"$0\" < \"$1\" | \"$2\" -9n > \"$3\"" ${QUENLO_SCDOC} ${source} ${QUENLO_GZIP} ${out}
        DEPENDS ${source}
        COMMENT "Making the man page ${page}(1)"
        VERBATIM)
    list(APPEND manpages ${out})
endforeach()
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND sh -c "\"$0\" -9n < \"$1\" > \"$2\"" ${QUENLO_GZIP} ${CMAKE_CURRENT_SOURCE_DIR}/changelog ${changelog}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/changelog
    VERBATIM)
add_custom_target(quenlo_linux_docs ALL DEPENDS ${manpages} ${changelog})

install(FILES ${manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/quenlo)
install(FILES ${changelog} DESTINATION ${docdir})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/copyright DESTINATION ${docdir})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/org.quenlo.Quenlo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
