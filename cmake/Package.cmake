# The Debian package: `cpack -G DEB` in a build folder. Its dependencies on the Qt and C++
# runtime come from the binaries (dpkg-shlibdeps); the helpers the program calls at run time are
# only recommended or suggested, since it works without them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sleevemaster)
set(CPACK_PACKAGE_VENDOR Quenmoor)
set(CPACK_PACKAGE_CONTACT
    "Sleevemaster maintainers <maintainers@users.noreply.c-seed-b569ef90.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "printable PDF inserts for CD jewel cases")
set(CPACK_PACKAGE_DESCRIPTION
    "Sleevemaster makes two-page PDF inserts for CD jewel cases, with cut and
fold lines: a booklet with the front cover and the inside jacket, and a
tray card with the back cover between its two side spines. Printed scaled
to the page, they come out at the size of the case; a calibration makes up
for the printer. It reopens the PDFs it wrote for editing, and also writes
inserts from the command line without a display.")
# Configure the build with -DCMAKE_INSTALL_PREFIX=/usr so that GNUInstallDirs picks Debian's
# multiarch library folder for the window module (a private folder there needs no ldconfig, and
# the package has no maintainer scripts).
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces that print characters outside Windows-1252 are read from their files, which no
# library dependency brings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-urw-base35")
# The window module is private to the program: no shlibs file of its own.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# xdg-open shows the preview and opens the help, lp prints, a PDF viewer shows the inserts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, cups-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "evince | okular | mupdf")
include(CPack)
