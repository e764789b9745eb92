# The Debian package, from the install rules: cmake --build BUILD --target package
# (or the package preset) writes fee-compare_VERSION_ARCH.deb into BUILD.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fee-compare)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "fee-compare developers")
set(CPACK_PACKAGE_CONTACT "fee-compare dev <dev@fee-compare.invalid>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/feecompare/fee-compare")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare stock brokers' commissions over a year of trading")
set(CPACK_PACKAGE_DESCRIPTION
  "A small desktop calculator with a Japanese user interface for individual
investors in Japan. It keeps a list of stock brokers, each with a six-bracket
commission schedule, a minimum and maximum commission per trade and a yearly
account fee. A year of trading is described in five rows, pre-filled from two
questions about the investor's style, and every broker's yearly cost is shown
in a grid that sorts cheapest first.

The data lives in one Shift_JIS text file, compare.dat, in the user's data
folder. The command-line companion fee-compare-cli checks that file and runs
the same comparison for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the font is the one the windows and
# the help are laid out for, and Qt's translations make its own dialog buttons
# Japanese.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
