# Install the library, its public headers, pkg-config file and CMake package.
include(CMakePackageConfigHelpers)

install(TARGETS kivo-gui EXPORT kivo-gui-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kivo DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

configure_file(${PROJECT_SOURCE_DIR}/cmake/kivo-gui.pc.in ${PROJECT_BINARY_DIR}/kivo-gui.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kivo-gui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/kivo-gui)
install(EXPORT kivo-gui-targets NAMESPACE kivo-gui:: DESTINATION ${config_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kivo-gui-config.cmake.in
  ${PROJECT_BINARY_DIR}/kivo-gui-config.cmake INSTALL_DESTINATION ${config_dir}
  PATH_VARS CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kivo-gui-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kivo-gui-config.cmake ${PROJECT_BINARY_DIR}/kivo-gui-config-version.cmake
  DESTINATION ${config_dir})
