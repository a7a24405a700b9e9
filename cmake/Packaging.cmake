# The Debian package (cpack -G DEB, see scripts/package-deb.sh): the program,
# its desktop files and its documentation; the libraries it needs are read from the binary.
set(CPACK_PACKAGE_NAME tunelark)
set(CPACK_PACKAGE_VENDOR "The Tunelark developers")
set(CPACK_PACKAGE_CONTACT "The Tunelark developers <tunelark@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jukebox for game music played by the hoot sound emulator")
# CPack puts the summary in front as the synopsis line, so the text here leaves it out.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tunelark plays the tracks of a list (tl.lst) with its settings (tl.ini)
through the hoot sound hardware emulator, in order or shuffled, and lets the
desktop's media keys skip to the next track.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's platform plug-in and a font with the Japanese captions.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
