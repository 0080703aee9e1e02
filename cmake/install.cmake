# cmake --install: the library, the C header, the Fortran interface module's
# source, the driver and a CMake package config (find_package(pelm_dll),
# target pelm_dll::pelm_dll).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PELM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelm_dll)
set(PELM_FORTRAN_MODULE_PATH ${CMAKE_INSTALL_INCLUDEDIR}/pelm_dll.F90)

install(TARGETS pelm_dll EXPORT pelm_dllTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(NOT WIN32)
  # The installed driver finds the installed library beside it.
  set_target_properties(pelm PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()
install(TARGETS pelm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES interface/pelm_dll.h interface/pelm_dll.F90
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT pelm_dllTargets NAMESPACE pelm_dll:: DESTINATION ${PELM_INSTALL_CMAKEDIR})

configure_package_config_file(cmake/pelm_dllConfig.cmake.in
  ${PROJECT_BINARY_DIR}/pelm_dllConfig.cmake
  INSTALL_DESTINATION ${PELM_INSTALL_CMAKEDIR}
  PATH_VARS PELM_FORTRAN_MODULE_PATH)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pelm_dllConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pelm_dllConfig.cmake
              ${PROJECT_BINARY_DIR}/pelm_dllConfigVersion.cmake
        DESTINATION ${PELM_INSTALL_CMAKEDIR})
