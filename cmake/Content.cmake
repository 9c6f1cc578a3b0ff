# The data files packed into the executable's resources. They are written by
# our own host tools (built by the native preset) into the build tree; the
# audio library is built here, for the same Windows target as the saver.
set(CORDELUNE_CONTENT_DIR ${CMAKE_BINARY_DIR}/content)
set(CORDELUNE_HOST_TOOLS_DIR "" CACHE PATH "Folder holding the native host tools (assetgen, soundgen)")

function(cordelune_host_tool var name)
  set(path ${CORDELUNE_HOST_TOOLS_DIR}/${name})
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "${name} not found in '${CORDELUNE_HOST_TOOLS_DIR}': build the native preset first (make does)")
  endif()
  set(${var} ${path} PARENT_SCOPE)
endfunction()

function(cordelune_content_files var)
  set(files "")
  foreach(n ${ARGN})
    list(APPEND files ${CORDELUNE_CONTENT_DIR}/${n})
  endforeach()
  set(${var} ${files} PARENT_SCOPE)
endfunction()

# Pictures, archives and texts.
cordelune_host_tool(_assetgen assetgen)
cordelune_content_files(_asset_files
  digits.rar media.rar quotes.txt localization.txt def_settings.txt
  loading_corner.tga loading_layer1.tga loading_layer2.tga loading_layer3.tga loading_bg.jpg
  preview.bmp config.bmp about.bmp cordelune.ico)
file(GLOB_RECURSE _res_inputs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.txt)
add_custom_command(
  OUTPUT ${_asset_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CORDELUNE_CONTENT_DIR}
  COMMAND ${_assetgen} --res ${CMAKE_SOURCE_DIR}/res --out ${CORDELUNE_CONTENT_DIR}
  DEPENDS ${_assetgen} ${_res_inputs}
  COMMENT "Generating pictures, archives and texts"
  VERBATIM)

# Music and effects.
cordelune_host_tool(_soundgen soundgen)
cordelune_content_files(_sound_files hit.ogg shot.ogg music.ogg)
add_custom_command(
  OUTPUT ${_sound_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CORDELUNE_CONTENT_DIR}
  COMMAND ${_soundgen} --out ${CORDELUNE_CONTENT_DIR}
  DEPENDS ${_soundgen}
  COMMENT "Generating music and effects"
  VERBATIM)

# The audio library, built for the same target by src/audio.
cordelune_content_files(_audio_lib audio.dll)
add_custom_command(OUTPUT ${_audio_lib}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:cordelune_audio> ${_audio_lib}
  DEPENDS cordelune_audio VERBATIM)

set(CORDELUNE_CONTENT_FILES ${_asset_files} ${_sound_files} ${_audio_lib})
add_custom_target(cordelune_content DEPENDS ${CORDELUNE_CONTENT_FILES})
