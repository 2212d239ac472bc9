# Read by cpack for each generator. A .deb's description starts with its own
# synopsis (CPACK_DEBIAN_<PACKAGE>_DESCRIPTION); CPack would put the
# project's summary before it.
if(CPACK_GENERATOR STREQUAL "DEB")
    unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
