# Helpers shared by the folders: each folder is one library made of every source in it,
# so adding a unit never means editing a list.
function(vyn_folder_library name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(_src)
    add_library(${name} STATIC ${_src})
  else()
    add_library(${name} INTERFACE)
  endif()
endfunction()

# A program laid out in dist/ under its exact file name ("Mirvane.exe").
function(vyn_dist_program target filename)
  get_filename_component(_base ${filename} NAME_WLE)
  get_filename_component(_ext ${filename} LAST_EXT)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${_base} SUFFIX "${_ext}" PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${VYN_DIST_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${VYN_DIST_DIR})
endfunction()

# A library loaded by name exports only its entry points: everything else in it, its own
# copy of the platform layer included, is bound inside it, whatever the program that loads
# it defines. (The entry points are also marked for export in the sources.)
#   vyn_export_only(vyn_tebrin AutoDialHandlerA AutoDialHandlerW)
function(vyn_export_only target)
  list(JOIN ARGN ";\n    " _names)
  set(_script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports)
  file(CONFIGURE OUTPUT ${_script} CONTENT "{\n  global:\n    ${_names};\n  local: *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${_script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_script})
endfunction()

# One test program per test folder; every *.cpp in it is part of it.
function(vyn_test_folder name)
  cmake_parse_arguments(T "OWN_MAIN;QT_MAIN;UI_MAIN;NO_QT" "" "LIBS;ENV;LABELS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  if(T_NO_QT)
    # A program that must not need the window system checks that none is loaded.
    list(APPEND _src ${PROJECT_SOURCE_DIR}/tests/support/noqt/RunsWithoutQt.cpp)
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vyn_testsupport GTest::gtest GTest::gmock Threads::Threads)
  if(T_QT_MAIN)
    target_link_libraries(${name} PRIVATE vyn_qttestmain)
  elseif(T_UI_MAIN)
    target_link_libraries(${name} PRIVATE vyn_uitestmain)
  elseif(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE VYN_DIST_DIR="${VYN_DIST_DIR}"
    VYN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}" TIMEOUT 120 LABELS "${T_LABELS}")
endfunction()

# Embeds files into `target` as named resources, found at run time by FindResource
# (platform/Resources.h):  vyn_embed_resources(Mirvane BMP1 skin/bmp1.bmp SND1 newmail.wav)
# Relative files are taken from the current source folder; a file made by a custom command
# of the same folder may be named by its output path. A static or interface library carries
# its resources, whole, into every program that links it.
function(vyn_embed_resources target)
  list(LENGTH ARGN _n)
  math(EXPR _odd "${_n} % 2")
  if(_n EQUAL 0 OR _odd)
    message(FATAL_ERROR "vyn_embed_resources(${target}): expected NAME file pairs")
  endif()
  set(_names "")
  set(_files "")
  while(ARGN)
    list(POP_FRONT ARGN _name _file)
    get_filename_component(_file ${_file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND _names ${_name})
    list(APPEND _files ${_file})
  endwhile()
  get_property(_calls TARGET ${target} PROPERTY VYN_RESOURCE_SETS)
  if(NOT _calls)
    set(_calls 0)
  endif()
  math(EXPR _next "${_calls} + 1")
  set_property(TARGET ${target} PROPERTY VYN_RESOURCE_SETS ${_next})
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources${_calls}.cpp)
  set(_script ${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake)
  string(REPLACE ";" "|" _namesArg "${_names}")
  string(REPLACE ";" "|" _filesArg "${_files}")
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${_out} -DNAMES=${_namesArg} -DFILES=${_filesArg} -P ${_script}
    DEPENDS ${_files} ${_script}
    COMMENT "Embedding ${_names} into ${target}" VERBATIM)
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "EXECUTABLE" OR _type STREQUAL "SHARED_LIBRARY" OR _type STREQUAL "MODULE_LIBRARY")
    target_sources(${target} PRIVATE ${_out})
    target_link_libraries(${target} PRIVATE vyn_platform)
  else()
    # Nothing refers to the registrars by name, so a plain archive member would be dropped.
    set(_lib ${target}_resources${_calls})
    add_library(${_lib} STATIC ${_out})
    target_link_libraries(${_lib} PRIVATE vyn_platform)
    target_link_libraries(${target} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${_lib}>")
  endif()
endfunction()

# Gives a program file its version block (platform/VersionInfo.h): the translation
# Portuguese (Brazil) / Windows Western and the project version as "FileVersion".
function(vyn_version_block target)
  get_target_property(_name ${target} OUTPUT_NAME)
  get_target_property(_suffix ${target} SUFFIX)
  if(NOT _name)
    set(_name ${target})
  endif()
  if(NOT _suffix)
    set(_suffix "")
  endif()
  set(VYN_VERSION_TARGET ${_name}${_suffix})
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionBlock.cpp.in ${_out} @ONLY)
  target_sources(${target} PRIVATE ${_out})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# Lays `target`'s program out in dist/ once more under `filename`, as a hard link made after
# each link of it: the same program, which sees the name it was started under as its own
# (its file name, its settings file), as a copy would.
function(vyn_dist_alias target filename)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -f ${VYN_DIST_DIR}/${filename}
    COMMAND ${CMAKE_COMMAND} -E create_hardlink $<TARGET_FILE:${target}> ${VYN_DIST_DIR}/${filename}
    VERBATIM)
endfunction()
