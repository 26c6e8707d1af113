# Install rules: the library (runtime and development parts), its public headers, pkg-config file
# and CMake package; the development tools once every directory has defined its targets.
#
# Components: "runtime" (the versioned library), "dev" (headers, the .so link, kivo-gui.pc, the CMake
# package), "tools" (emulator header, touch writer). The image tree under share/kivo-gui/app/ is
# installed by tools/assetgen, the simulator and emulator by tools/simulator.
include(CMakePackageConfigHelpers)

install(TARGETS kivo-gui EXPORT kivo-gui-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kivo DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT dev)

# kivo-gui.pc: directories relative to ${prefix} where they lie below it, so the file follows a
# DESTDIR or a moved tree when pkg-config is told --define-prefix.
foreach(dir LIBDIR INCLUDEDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(KIVO_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(KIVO_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/kivo-gui.pc.in ${PROJECT_BINARY_DIR}/kivo-gui.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kivo-gui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/kivo-gui)
install(EXPORT kivo-gui-targets NAMESPACE kivo-gui:: DESTINATION ${config_dir} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kivo-gui-config.cmake.in
  ${PROJECT_BINARY_DIR}/kivo-gui-config.cmake INSTALL_DESTINATION ${config_dir}
  PATH_VARS CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kivo-gui-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kivo-gui-config.cmake ${PROJECT_BINARY_DIR}/kivo-gui-config-version.cmake
  DESTINATION ${config_dir} COMPONENT dev)

# tools/simulator installs the simulator with the emulator (libkivo-emu.so in the library
# directory, where the simulator looks for it) and its tslib configuration; these are the rest of
# the emulator's development files: the control header and the touch-sample writer.
function(kivo_install_tools)
  if(TARGET kivo-emu)
    install(FILES ${PROJECT_SOURCE_DIR}/tools/emulator/kivo_emu.h
      DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kivo-emu COMPONENT tools)
  endif()
  if(TARGET kivo-emu-touch)
    install(TARGETS kivo-emu-touch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endfunction()
if(KIVO_BUILD_TOOLS)
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kivo_install_tools)
endif()
