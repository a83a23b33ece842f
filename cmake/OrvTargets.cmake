# Helpers shared by the subsystem folders.

# Every PE file the build makes; one test reads their import tables.
function(orv_track_pe target)
  set_property(GLOBAL APPEND PROPERTY ORV_PE_TARGETS ${target})
endfunction()

# What a shipped PE file gets.
# - Its debug information moves into NAME.debug beside it, where debuggers
#   find it through .gnu_debuglink. Wine reads a PE image whole when it loads
#   it, debug sections too: carrying them, Brindle0200.dll took about twice as
#   long to load, and the program no longer matched the stripped copies the
#   installer ships.
# - Its sections start on page boundaries in the file, so a loader can map
#   them instead of reading them in: Wine then loads Brindle0200.dll in
#   1.3 ms instead of 3.0 ms. The files grow by a few kilobytes.
# - Its header carries the commit's time, not the link's (see the top-level
#   CMakeLists.txt), so a commit always builds to the same bytes.
function(orv_deliverable target)
  # The linker would also stamp the export directory with its own time.
  target_link_options(${target} PRIVATE -Wl,--file-alignment=0x1000 -Wl,--no-insert-timestamp)
  # objcopy stamps the time it runs: each file is stamped after it, the
  # .debug file before the CRC of .gnu_debuglink is taken from it.
  set(stamp Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/set_pe_timestamp.py)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ORV_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${stamp} $<TARGET_FILE:${target}>.debug ${ORV_SOURCE_DATE_EPOCH}
    COMMAND ${ORV_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    COMMAND ${stamp} $<TARGET_FILE:${target}> ${ORV_SOURCE_DATE_EPOCH}
    VERBATIM)
endfunction()

function(orv_add_executable target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE orv_build_flags)
  if(WIN32)
    orv_track_pe(${target})
  endif()
endfunction()

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# GoogleTest is built from its sources (Debian's googletest package; other
# layouts set GTEST_SOURCE_DIR to the folder holding googletest/).
find_path(GTEST_SOURCE_DIR googletest/CMakeLists.txt
  PATHS /usr/src/googletest /usr/src/gtest /usr/local/src/googletest /usr/share/googletest
  DOC "GoogleTest's source tree (holding googletest/)" NO_CMAKE_FIND_ROOT_PATH)
if(NOT GTEST_SOURCE_DIR)
  message(FATAL_ERROR "GoogleTest's sources were not found: install googletest or set GTEST_SOURCE_DIR")
endif()
add_subdirectory(${GTEST_SOURCE_DIR}/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(WIN32)
  target_link_options(gtest PUBLIC -static)
endif()

# A GoogleTest program, run by ctest (under Wine in the cross builds).
# Exit code 77 marks a test that this machine cannot run.
# GROUPED marks a program that needs nothing of its own (no server, no
# registry keys): in the x86 build, where every process may start under
# emulation at about a minute each, these join the one test program.
function(orv_add_gtest target)
  cmake_parse_arguments(ARG "GROUPED" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_GROUPED AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    set_property(GLOBAL APPEND PROPERTY ORV_GROUPED_SOURCES ${ARG_SOURCES})
    set_property(GLOBAL APPEND PROPERTY ORV_GROUPED_LIBS ${ARG_LIBS})
    return()
  endif()
  orv_add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} gtest gtest_main)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 1200)
endfunction()

# The x86 test programs as one, on a virtual display for those that make
# windows, in the zone the key tests want: a 32-bit process may start under
# emulation here at about a minute each.
function(orv_add_grouped_tests)
  get_property(sources GLOBAL PROPERTY ORV_GROUPED_SOURCES)
  get_property(libs GLOBAL PROPERTY ORV_GROUPED_LIBS)
  get_property(server_sources GLOBAL PROPERTY ORV_GROUPED_SERVER_SOURCES)
  list(APPEND sources ${server_sources})
  if(NOT sources)
    return()
  endif()
  list(REMOVE_DUPLICATES libs)
  orv_add_executable(grouped_tests ${sources})
  target_link_libraries(grouped_tests PRIVATE ${libs} ${ORV_SERVER_TEST_LIBS})
  add_dependencies(grouped_tests Brindle0200)
  orv_add_display_test(grouped_tests)
  set_tests_properties(grouped_tests PROPERTIES ENVIRONMENT "TZ=Asia/Kathmandu")
endfunction()

set(ORV_SERVER_TEST_LIBS gtest gtest_main brindle_guids orv_support ole32 oleaut32 advapi32 uuid user32 gdi32
    comctl32 version)

# Runs a test program on a virtual display of its own, alone, in a wineserver
# of its own (see cmake/display-run.sh).
function(orv_add_display_test target)
  add_test(NAME ${target} COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/display-run.sh $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 1200 RUN_SERIAL TRUE)
endfunction()

# A test program that loads Brindle0200.dll from bin/, as tests/common/server_loader.h
# does; DISPLAY when it makes real windows. In the x86 build, where every process
# may start under emulation at about a minute each, they run as one program.
function(orv_add_server_test target)
  cmake_parse_arguments(ARG "DISPLAY" "" "" ${ARGN})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    list(TRANSFORM ARG_UNPARSED_ARGUMENTS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    set_property(GLOBAL APPEND PROPERTY ORV_GROUPED_SERVER_SOURCES ${ARG_UNPARSED_ARGUMENTS})
    return()
  endif()
  orv_add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${ORV_SERVER_TEST_LIBS})
  add_dependencies(${target} Brindle0200)
  if(ARG_DISPLAY)
    orv_add_display_test(${target})
  else()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 1200)
  endif()
endfunction()

function(orv_add_import_table_test)
  if(NOT WIN32)
    return()
  endif()
  get_property(targets GLOBAL PROPERTY ORV_PE_TARGETS)
  set(files)
  foreach(t IN LISTS targets)
    list(APPEND files $<TARGET_FILE:${t}>)
  endforeach()
  add_test(NAME import_tables
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/imports/check_imports.sh ${ORV_OBJDUMP} ${files})
endfunction()
