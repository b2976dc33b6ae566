# The application's resources directory lives beside the binary in the build tree.
set(ATELIER_RESOURCES_DIR ${CMAKE_BINARY_DIR}/Resources)
file(GLOB_RECURSE ATELIER_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/resources.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources ${ATELIER_RESOURCES_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/resources.stamp
  DEPENDS ${ATELIER_RESOURCE_FILES}
  COMMENT "Copying resources")
add_custom_target(atelier_resources ALL DEPENDS ${CMAKE_BINARY_DIR}/resources.stamp)
