# Every outside library comes from the system (Debian packages installed by scripts/deps.sh).
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(POLYCLIPPING REQUIRED IMPORTED_TARGET polyclipping)
pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json 3 REQUIRED)

set(QELDB_DEP_TARGETS
  PkgConfig::MINIZIP PkgConfig::POLYCLIPPING PkgConfig::PUGIXML PkgConfig::GLU ZLIB::ZLIB
  ${CMAKE_DL_LIBS})
set(QELDB_PC_REQUIRES "minizip polyclipping pugixml glu zlib")

# Only the command-line tool (and the tests that look at its pictures) link these: librsvg renders
# the SVG plans it draws and cairo writes them as PNG. The library itself draws SVG on its own, so
# its consumers never inherit them.
pkg_check_modules(RSVG REQUIRED IMPORTED_TARGET librsvg-2.0 cairo-png)
set(QELDB_PICTURE_TARGETS PkgConfig::RSVG)
