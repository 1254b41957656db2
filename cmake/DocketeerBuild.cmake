# Build options shared by every target of the project, and small helpers.

add_library(docketeer_build_options INTERFACE)
add_library(Docketeer::build_options ALIAS docketeer_build_options)
target_compile_options(docketeer_build_options INTERFACE
  -Wall -Wextra -Wpedantic
  $<$<CONFIG:Debug>:-O1 -g -fno-omit-frame-pointer>)

if(DOCKETEER_SANITIZE)
  target_compile_options(docketeer_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(docketeer_build_options INTERFACE -fsanitize=address,undefined)
endif()

if(DOCKETEER_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "DOCKETEER_FUZZ needs clang (CXX=clang++)")
  endif()
  # Everything is instrumented for coverage; only fuzz targets link the fuzzer main.
  target_compile_options(docketeer_build_options INTERFACE -fsanitize=fuzzer-no-link,address)
  target_link_options(docketeer_build_options INTERFACE -fsanitize=address)
endif()

# Adds every subfolder that has a CMakeLists.txt, so a new subsystem folder needs
# no edit of its parent.
function(docketeer_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# docketeer_publish_headers(TARGET SCOPE HEADERS...) : links the target's own
# headers into an include folder of its own, under their path below src/ (so
# they are included as "naming/CSimpleDate.h"). No target has all of src/ on
# its include path: it sees the headers of itself and of the targets it links,
# so an include the target graph does not declare fails to compile.
function(docketeer_publish_headers target scope)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(header IN LISTS ARGN)
    if(header MATCHES "\\.h$")
      get_filename_component(subfolder ${folder}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${root}/${subfolder})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# docketeer_add_library(NAME SOURCES...) : a static library of one subsystem
# folder, with the project's build options and its published headers.
function(docketeer_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE Docketeer::build_options)
  docketeer_publish_headers(${target} PUBLIC ${ARG_SOURCES})
endfunction()

# docketeer_add_fuzzer(NAME SOURCES... LIBS... CORPUS paths...) : a fuzz
# target: with libFuzzer in a fuzzing build (clang), elsewhere with a main that
# runs it over its corpus and seeded mutations of it. Either way a test runs
# it for a few seconds, so no target can stop building unnoticed.
set(DOCKETEER_FUZZ_SECONDS 2 CACHE STRING "Seconds each fuzz target's test runs")
function(docketeer_add_fuzzer target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE Docketeer::build_options ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY DOCKETEER_FUZZERS ${target})
  if(DOCKETEER_FUZZ)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    # New inputs go to the build folder, never into the corpus of the sources.
    set(found ${CMAKE_CURRENT_BINARY_DIR}/${target}_found)
    file(MAKE_DIRECTORY ${found})
    add_test(NAME fuzz_${target} COMMAND ${target} -max_total_time=${DOCKETEER_FUZZ_SECONDS}
             -timeout=25 -rss_limit_mb=2560 ${found} ${ARG_CORPUS})
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/CorpusRunner.cpp)
    add_test(NAME fuzz_${target}
             COMMAND ${target} --seconds=${DOCKETEER_FUZZ_SECONDS} ${ARG_CORPUS})
  endif()
endfunction()
