# Run by cpack after each generator: copies its packages to the one folder
# that holds every finished package.
file(MAKE_DIRECTORY "${CPACK_QUENLO_PACKAGE_DIR}")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    file(COPY "${package}" DESTINATION "${CPACK_QUENLO_PACKAGE_DIR}")
    cmake_path(GET package FILENAME name)
    message(STATUS "Package: ${CPACK_QUENLO_PACKAGE_DIR}/${name}")
endforeach()
