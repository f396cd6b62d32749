# The Debian package: `cpack -G DEB` in a build folder (or `make package`) writes
# ladder51_VERSION_ARCH.deb from what the install rules put in place.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ladder51)
set(CPACK_PACKAGE_CONTACT "ladder51 maintainers <maintainers@users.noreply.c-seed-46dfdf42.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "run Mitsubishi FX PLC programs on 8051 boards")
# Debian's description: the summary above, then this text (CPack indents it).
set(CPACK_PACKAGE_DESCRIPTION
    "ladder51 translates a Mitsubishi FX-series PLC program (.pmw) into one C
file, fx1n.c, that emulates the PLC on an 8051 chip (AT89S52, STC89C52):
scan loop, timers, counters, data registers, an optional MAX7219 display
and a 24Cxx EEPROM. It builds fx1n.hex with SDCC and runs it in the s51
simulator against a timed stimulus.

The package holds the command-line tool ladder51 and the window
ladder51-gui, which sets a board's pins and options and turns programs
into firmware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link (libstdc++, Qt 6) come from dpkg-shlibdeps; the tools that
# `build` and `sim` run are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "sdcc, sdcc-ucsim")
if(Qt6Widgets_FOUND)
  # The window asks for a Chinese font by name and falls back to Qt's default without one.
  # Qt's own Chinese texts for the window's dialogs and buttons; without them those are English.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
endif()
set(CPACK_STRIP_FILES ON)

include(CPack)
