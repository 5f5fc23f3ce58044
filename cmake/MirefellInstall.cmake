# cmake --install: the toolkit as a library others build on (static libraries, the public
# headers under include/mirefell with <d3dx9.h> and <d3d9.h> at its top, a pkg-config file and
# the CMake package Mirefell with its dependencies and mirefell_add_resources).
include(CMakePackageConfigHelpers)
include(MirefellPublicHeaders)

# In link order: each library before those it uses.
set(MIREFELL_TOOLKIT_LIBRARIES toolkit_font toolkit_image toolkit_sprite toolkit_surface
    toolkit_common platform_uniscribe platform_gdi platform_d3d9 platform_win32)
foreach(library IN LISTS MIREFELL_TOOLKIT_LIBRARIES)
  set_target_properties(${library} PROPERTIES OUTPUT_NAME mirefell_${library})
endforeach()

# Mirefell::toolkit: everything at once. The shaping module comes whole through toolkit_font;
# naming it here too, without that, is a conflict the linker step refuses.
set(toolkit_interface ${MIREFELL_TOOLKIT_LIBRARIES})
list(REMOVE_ITEM toolkit_interface platform_uniscribe)
add_library(toolkit INTERFACE)
target_link_libraries(toolkit INTERFACE ${toolkit_interface})

install(TARGETS ${MIREFELL_TOOLKIT_LIBRARIES} toolkit EXPORT MirefellToolkit
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT toolkit)
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Mirefell)
install(EXPORT MirefellToolkit NAMESPACE Mirefell:: DESTINATION ${package_dir}
        FILE MirefellToolkitTargets.cmake COMPONENT toolkit)

foreach(header IN LISTS MIREFELL_PUBLIC_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mirefell/${folder} COMPONENT toolkit)
endforeach()
# The names programs written for the API include.
foreach(header IN LISTS MIREFELL_PROGRAM_HEADERS)
  install(FILES ${PROJECT_SOURCE_DIR}/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mirefell COMPONENT toolkit)
endforeach()

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MirefellConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/MirefellConfig.cmake
                              INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/MirefellConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/MirefellConfig.cmake
              ${CMAKE_BINARY_DIR}/MirefellConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/MirefellResources.cmake
        DESTINATION ${package_dir} COMPONENT toolkit)

# The shaping module is only reached through the module table, so nothing pulls its objects
# in by name: it is linked whole, which keeps its registration before main.
set(pc_libraries "")
foreach(library IN LISTS MIREFELL_TOOLKIT_LIBRARIES)
  if(library STREQUAL "platform_uniscribe")
    string(APPEND pc_libraries
           " -Wl,--whole-archive -lmirefell_${library} -Wl,--no-whole-archive")
  else()
    string(APPEND pc_libraries " -lmirefell_${library}")
  endif()
endforeach()
file(RELATIVE_PATH pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/mirefell-toolkit.pc.in
               ${CMAKE_BINARY_DIR}/mirefell-toolkit.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/mirefell-toolkit.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT toolkit)
