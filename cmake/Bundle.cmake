# The shipped database of the web application, built from bundle-data/ (and
# a free font from Debian's fonts-dejavu-core) by the bundle tool.
set(ATELIER_BUNDLE_INPUT ${CMAKE_BINARY_DIR}/bundle-input)
set(ATELIER_BUNDLE_DB ${ATELIER_RESOURCES_DIR}/sync/bundleStorage/bundle.db)
set(ATELIER_BUNDLE_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
file(GLOB_RECURSE ATELIER_BUNDLE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bundle-data/*)
add_custom_command(
  OUTPUT ${ATELIER_BUNDLE_DB}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ATELIER_BUNDLE_INPUT}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/bundle-data ${ATELIER_BUNDLE_INPUT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ATELIER_BUNDLE_INPUT}/fonts
  COMMAND ${CMAKE_COMMAND} -E copy ${ATELIER_BUNDLE_FONT} ${ATELIER_BUNDLE_INPUT}/fonts/
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ATELIER_RESOURCES_DIR}/sync/bundleStorage
  COMMAND atelier-bundle-tool ${ATELIER_BUNDLE_INPUT} ${ATELIER_BUNDLE_DB} --resources ${CMAKE_SOURCE_DIR}/resources
  DEPENDS atelier-bundle-tool ${ATELIER_BUNDLE_FILES} ${CMAKE_BINARY_DIR}/resources.stamp
  COMMENT "Building the shipped database")
add_custom_target(atelier_bundle ALL DEPENDS ${ATELIER_BUNDLE_DB})
