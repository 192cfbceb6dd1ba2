# The include check of the layers: runs cmake/CheckLayers.cmake whenever a source or
# header of the launcher, its tests or tools changes, before any layer library is
# compiled. A file that includes a header its layer may not see fails the build.
file(GLOB_RECURSE ZR_LAYERED_FILES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.h ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/net/*.h ${CMAKE_SOURCE_DIR}/net/*.cpp
  ${CMAKE_SOURCE_DIR}/patch/*.h ${CMAKE_SOURCE_DIR}/patch/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/*.h ${CMAKE_SOURCE_DIR}/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/framework/*.h ${CMAKE_SOURCE_DIR}/framework/*.cpp
  ${CMAKE_SOURCE_DIR}/tools/*.h ${CMAKE_SOURCE_DIR}/tools/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/*.h ${CMAKE_SOURCE_DIR}/tests/*.cpp)
set(ZR_LAYERS_STAMP ${CMAKE_BINARY_DIR}/layers.checked)
add_custom_command(OUTPUT ${ZR_LAYERS_STAMP}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DSTAMP=${ZR_LAYERS_STAMP}
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  DEPENDS ${ZR_LAYERED_FILES} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking the includes against the layers"
  VERBATIM)
add_custom_target(zr_layers DEPENDS ${ZR_LAYERS_STAMP})
add_dependencies(zr_core zr_layers)
if(WIN32)
  add_dependencies(zr_framework zr_layers)
  add_dependencies(zr_platform zr_layers)
  add_dependencies(zr_ui zr_layers)
endif()
