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

# One test program per test folder; every *.cpp in it is part of it.
function(vyn_test_folder name)
  cmake_parse_arguments(T "OWN_MAIN" "" "LIBS;ENV;LABELS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vyn_testsupport GTest::gtest GTest::gmock Threads::Threads)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE VYN_DIST_DIR="${VYN_DIST_DIR}"
    VYN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}" TIMEOUT 120 LABELS "${T_LABELS}")
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
