# disccheck for Linux as disc authors install it: optimised, without the
# sanitizers, tests and Windows tool chain of the native preset, and made
# into a Debian package by cpack (cpack --preset linux).
include(${CMAKE_SOURCE_DIR}/tools/disccheck/sources.cmake)
find_package(LibArchive REQUIRED)
add_disccheck_program()
target_compile_options(disccheck PRIVATE -Wall -Wextra -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
target_link_libraries(disccheck PRIVATE LibArchive::LibArchive)

set(CMAKE_INSTALL_DOCDIR share/doc/cd-launcher-disccheck)
include(GNUInstallDirs)
install(TARGETS disccheck RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cd-launcher-disccheck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checks discs of the CD AutoPlay Launcher before they are pressed")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads a disc folder or its ISO 9660 image with the launcher's own code and reports\n\
what the launcher would do wrong or unexpectedly on Windows: install.ini, Launcher.bmp,\n\
autorun.inf, setup.exe and launcher.exe, and, given a registry exported from a machine,\n\
what the launcher shows and starts there.")
set(CPACK_PACKAGE_CONTACT "CD AutoPlay Launcher developers" CACHE STRING
    "The package's maintainer, as Name <address>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries disccheck links (libarchive, the C++ runtime) become the
# package's dependencies, with the versions this build needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
