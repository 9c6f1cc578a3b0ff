# The version resources (res/VersionInfo.rc) take the project version as three
# numbers, handed to the resource compiler as definitions. Every resource
# script of the Windows builds gets them, and finds res/ for the template.
if(WIN32)
  add_compile_definitions(
    $<$<COMPILE_LANGUAGE:RC>:CORDELUNE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}>
    $<$<COMPILE_LANGUAGE:RC>:CORDELUNE_VERSION_MINOR=${PROJECT_VERSION_MINOR}>
    $<$<COMPILE_LANGUAGE:RC>:CORDELUNE_VERSION_PATCH=${PROJECT_VERSION_PATCH}>)
  include_directories($<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/res>)
  # The release script (scripts/make-dist) reads the version from here.
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.txt CONTENT "${PROJECT_VERSION}\n")
endif()
