# Windows resources made from the project's version: the version block that
# Explorer and deployment tools read, and for the tool its manifest.
enable_language(RC)

set(ZELK_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/../src/resources)
if(PROJECT_VERSION_PATCH STREQUAL "")
  set(PROJECT_VERSION_PATCH 0)
endif()
if(PROJECT_VERSION_TWEAK STREQUAL "")
  set(PROJECT_VERSION_TWEAK 0)
endif()
set(ZELK_RC_VERSION_PARTS
  ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})

# zelk_windows_resources(<target> FILE_TYPE APP|DLL FILE_NAME <name.ext>
#   DESCRIPTION <text> PRODUCT_NAME <text> [MANIFEST <template>])
# The manifest becomes resource 1 of type RT_MANIFEST (24), the one the
# loader reads for an exe. It asks for asInvoker: without it Windows takes a
# 32-bit exe that looks like an updater for an installer and asks for
# elevation, which stops unattended scripts. It lists every Windows from
# Vista to 10/11 as supported so that none runs the tool in a compatibility
# mode, and leaves the code page and path length to the system's settings.
# Callable from any folder: the files go to this folder's build folder.
function(zelk_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FILE_TYPE;FILE_NAME;DESCRIPTION;PRODUCT_NAME;MANIFEST" "")
  list(JOIN ZELK_RC_VERSION_PARTS "," ZELK_RC_VERSION_COMMAS)
  list(JOIN ZELK_RC_VERSION_PARTS "." ZELK_RC_VERSION)
  if(arg_FILE_TYPE STREQUAL "APP")
    set(ZELK_RC_FILE_TYPE 0x1)
  else()
    set(ZELK_RC_FILE_TYPE 0x2)
  endif()
  get_filename_component(ZELK_RC_INTERNAL_NAME ${arg_FILE_NAME} NAME_WLE)
  set(ZELK_RC_ORIGINAL_FILENAME ${arg_FILE_NAME})
  set(ZELK_RC_DESCRIPTION ${arg_DESCRIPTION})
  set(ZELK_RC_PRODUCT_NAME ${arg_PRODUCT_NAME})

  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  set(ZELK_RC_MANIFEST "")
  if(arg_MANIFEST)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${arg_FILE_NAME}.manifest)
    configure_file(${arg_MANIFEST} ${manifest} @ONLY)
    set(ZELK_RC_MANIFEST "1 24 \"${manifest}\"")
  endif()
  configure_file(${ZELK_RESOURCES_DIR}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(arg_MANIFEST)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${manifest})
  endif()
endfunction()
