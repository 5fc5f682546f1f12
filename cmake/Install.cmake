# Installs the libraries, the public headers under include/qeldbio/<subsystem>/, a CMake package
# (find_package(qeldbio) -> qeldbio::qeldbio) and qeldbio.pc.
include(CMakePackageConfigHelpers)

install(TARGETS qeldbio qeldbio_static qeldb qeldb-loader
  EXPORT qeldbioTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Public headers only: every header of a subsystem and the .def tables they expand, except files
# named *_internal.h / *_internal.def (the library's own: they may expose third-party headers or
# layout macros).
foreach(sub ${QELDB_SUBSYSTEMS})
  install(DIRECTORY src/${sub}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qeldbio/${sub}
    FILES_MATCHING PATTERN "*.h" PATTERN "*.def" PATTERN "*_internal.*" EXCLUDE)
endforeach()

install(EXPORT qeldbioTargets NAMESPACE qeldbio:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qeldbio)
configure_package_config_file(cmake/qeldbioConfig.cmake.in
  ${CMAKE_BINARY_DIR}/qeldbioConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qeldbio)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/qeldbioConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/qeldbioConfig.cmake ${CMAKE_BINARY_DIR}/qeldbioConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qeldbio)

# The .pc file finds its prefix relative to itself, so the package can be installed anywhere.
file(RELATIVE_PATH QELDB_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(cmake/qeldbio.pc.in ${CMAKE_BINARY_DIR}/qeldbio.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qeldbio.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
