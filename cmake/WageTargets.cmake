# Helpers that give build outputs the installation names (update.exe, Plugins/ordmon.dll, ...)
# and embed the four-number file version that the version reader finds in our ELF files.

# wage_file_version(target "a.b.c.d"): a note section ".wage_fileversion" holding the magic
# "WFVR" followed by the four numbers as little-endian 32-bit integers.
function(wage_file_version target version)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts n)
  if(NOT n EQUAL 4)
    message(FATAL_ERROR "file version of ${target} must have four numbers: ${version}")
  endif()
  list(GET parts 0 a)
  list(GET parts 1 b)
  list(GET parts 2 c)
  list(GET parts 3 d)
  set(src ${CMAKE_CURRENT_BINARY_DIR}/${target}_fileversion.c)
  file(CONFIGURE OUTPUT ${src} CONTENT
"/* generated: file version of @target@ */
#include <stdint.h>
struct wage_fileversion { char magic[4]; uint32_t v[4]; };
__attribute__((used, section(\".wage_fileversion\")))
const struct wage_fileversion wage_fileversion_@target@ = { {'W','F','V','R'}, {@a@u, @b@u, @c@u, @d@u} };
" @ONLY)
  target_sources(${target} PRIVATE ${src})
endfunction()

# A program of the installation, e.g. wage_program(updater update.exe 4.40.2.10 sources...)
function(wage_program target filename version)
  add_executable(${target} ${ARGN})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${filename} SUFFIX ""
                        RUNTIME_OUTPUT_DIRECTORY ${WAGE_APP_DIR} BUILD_RPATH "$ORIGIN")
  wage_file_version(${target} ${version})
endfunction()

# A library of the installation, e.g. wage_library(alert Alert.dll "" 1.0.0.0 sources...)
# subdir is relative to the program directory ("" or "Plugins").
function(wage_library target filename subdir version)
  add_library(${target} MODULE ${ARGN})
  get_filename_component(stem ${filename} NAME_WE)
  get_filename_component(ext ${filename} EXT)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${stem} SUFFIX ${ext}
                        LIBRARY_OUTPUT_DIRECTORY ${WAGE_APP_DIR}/${subdir}
                        CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden
                        VISIBILITY_INLINES_HIDDEN ON BUILD_RPATH "$ORIGIN;$ORIGIN/..")
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
  wage_file_version(${target} ${version})
endfunction()

# A test suite: one executable per area, every TEST registered with CTest separately so that
# ctest -j runs them in parallel. Widgets run on the offscreen platform.
# wage_test(target sources... [RESOURCE_LOCK name]): suites with the same lock never run at
# the same time. The updater ends every running host program by name, so suites that run the
# real update.exe and suites that run real host processes share the lock "host_processes".
function(wage_test target)
  cmake_parse_arguments(WT "" "RESOURCE_LOCK" "" ${ARGN})
  add_executable(${target} ${WT_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE wage_testsupport)
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen;WAGE_APP_DIR=${WAGE_APP_DIR};WAGE_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
            TIMEOUT 300)
  if(WT_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK ${WT_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
