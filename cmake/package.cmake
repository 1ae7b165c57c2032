# The installable library: the static archive and a shared library built from the
# same objects, the headers, a CMake package (find_package(VexaConfig), target
# VexaConfig::vexaconfig for the shared library, VexaConfig::vexaconfig_static for
# the archive) and a pkg-config file (vexaconfig; --static for the archive).
include(CMakePackageConfigHelpers)

add_library(vexaconfig_shared SHARED $<TARGET_OBJECTS:vexaconfig>)
target_include_directories(vexaconfig_shared PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                                    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vexaconfig>)
target_link_libraries(vexaconfig_shared PUBLIC PkgConfig::LIBZIP PkgConfig::LIBDEFLATE PkgConfig::ISAL PkgConfig::ZLIB Threads::Threads)
set_target_properties(vexaconfig_shared PROPERTIES OUTPUT_NAME vexaconfig EXPORT_NAME vexaconfig
                      VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
set_target_properties(vexaconfig PROPERTIES EXPORT_NAME vexaconfig_static)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/VexaConfig)
install(TARGETS vexaconfig vexaconfig_shared EXPORT VexaConfigTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder platform store storage query schema automation server)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vexaconfig
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT VexaConfigTargets NAMESPACE VexaConfig:: DESTINATION ${package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VexaConfigConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/VexaConfigConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VexaConfigConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VexaConfigConfig.cmake ${PROJECT_BINARY_DIR}/VexaConfigConfigVersion.cmake
        DESTINATION ${package_dir})

# The pkg-config file finds the prefix from its own place, so the installed tree can move.
file(RELATIVE_PATH pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexaconfig.pc.in ${PROJECT_BINARY_DIR}/vexaconfig.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vexaconfig.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
