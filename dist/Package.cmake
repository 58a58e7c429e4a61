# `make package`: a Debian package whose dependencies dpkg-shlibdeps computes;
# the Qt platform plugins and the fonts of the printed sheets are not linked
# libraries, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorne)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VORNE maintainers <vorne@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep, browse, check and publish libraries of pipeline tariffs")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
 vorne is the desktop program; vorne-batch runs the same work unattended.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
include(CPack)
