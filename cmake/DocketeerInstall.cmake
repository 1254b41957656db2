# cmake --install: the program, and the data source manager library in a
# library folder of its own, where the program looks for it relative to itself
# (src/platform/InstallLayout). The data files are installed by data/. CPack
# builds the Debian package from the same rules (scripts/package).
install(TARGETS docketeer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET docketeer_dsm)
  install(TARGETS docketeer_dsm LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/docketeer)
  # The source's window for applications without widgets, found beside the library.
  install(TARGETS docketeer-source-window RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/docketeer)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME docketeer)
set(CPACK_PACKAGE_VENDOR Ferncastle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scan paper documents into a well-kept folder archive")
set(CPACK_PACKAGE_DESCRIPTION
    "Docketeer drives the scanner, names each document by its archive folder's own\n\
name format (the next month, quarter or check number) and writes the pages as\n\
BMP, JPEG, GIF, PNG, TIFF or PDF. Its folder tree renames, removes, combines\n\
page files into one TIFF and converts TIFF files into PDF. A command line scans\n\
and files documents without the window, for scripts and scanner buttons.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ferncastle Docketeer team <docketeer@ferncastle.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DOCKETEER_WEB_URL})
# Depends from the libraries the program and the manager library link, and
# the recognition data every searchable PDF needs (English text, and the page
# orientation that turns pages upright): a PDF without text would surprise.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tesseract-ocr-eng, tesseract-ocr-osd")
# The driverless network and USB scanners most households have, and SANE's tools.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sane-airscan, ipp-usb, sane-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
