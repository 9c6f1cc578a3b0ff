# The data files packed into the executable's resources. They are written by
# our own host tools (built by the native preset) into the build tree.
set(CORDELUNE_CONTENT_DIR ${CMAKE_BINARY_DIR}/content)
set(CORDELUNE_HOST_TOOLS_DIR "" CACHE PATH "Folder holding the native host tools (assetgen)")

set(CORDELUNE_CONTENT_NAMES
  digits.rar media.rar audio.dll quotes.txt hit.ogg shot.ogg music.ogg
  localization.txt def_settings.txt
  loading_corner.tga loading_layer1.tga loading_layer2.tga loading_layer3.tga loading_bg.jpg
  preview.bmp config.bmp about.bmp cordelune.ico)
set(CORDELUNE_CONTENT_FILES "")
foreach(n ${CORDELUNE_CONTENT_NAMES})
  list(APPEND CORDELUNE_CONTENT_FILES ${CORDELUNE_CONTENT_DIR}/${n})
endforeach()

set(_assetgen ${CORDELUNE_HOST_TOOLS_DIR}/assetgen)
if(NOT EXISTS ${_assetgen})
  message(FATAL_ERROR "assetgen not found in '${CORDELUNE_HOST_TOOLS_DIR}': build the native preset first (make does)")
endif()
file(GLOB_RECURSE _res_inputs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
add_custom_command(
  OUTPUT ${CORDELUNE_CONTENT_FILES}
  COMMAND ${_assetgen} --res ${CMAKE_SOURCE_DIR}/res --out ${CORDELUNE_CONTENT_DIR}
  DEPENDS ${_assetgen} ${_res_inputs}
  COMMENT "Generating content"
  VERBATIM)
add_custom_target(cordelune_content DEPENDS ${CORDELUNE_CONTENT_FILES})
