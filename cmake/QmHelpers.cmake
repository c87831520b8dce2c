# Common compile settings for every target of the project.
add_library(qm_options INTERFACE)
target_compile_options(qm_options INTERFACE -Wall -Wextra -Wpedantic)
# Warnings fail every build, so that nobody lands code that CI rejects.
# GCC 12's flow-based buffer checks misfire on libstdc++ inlined at -O3
# (std::string copies, bit scans); they stay warnings.
if(NOT QM_ALLOW_WARNINGS)
  target_compile_options(qm_options INTERFACE -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(qm_options INTERFACE -Wno-error=restrict -Wno-error=array-bounds
      -Wno-error=stringop-overflow -Wno-error=stringop-overread -Wno-error=maybe-uninitialized)
  endif()
endif()
if(QM_SANITIZE)
  target_compile_options(qm_options INTERFACE -fsanitize=address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qm_options INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(qm_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()
if(QM_FUZZ)
  target_compile_options(qm_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_options(qm_options INTERFACE -fsanitize=address,undefined)
endif()

# qm_core_library(NAME SOURCES... [DEPS ...])
# A library of the chess core: links the standard library and the given
# core libraries only, never Qt.
function(qm_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC qm_options ${ARG_DEPS})
endfunction()

# qm_add_test(NAME SOURCES... LIBS ...)
# One GoogleTest executable registered with CTest. QM_SHARED_DATA tells the
# test where the shared data folder is; tests skip when it is missing.
find_package(GTest QUIET)
function(qm_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qm_options ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QM_SHARED_DATA="${QM_SHARED_DATA}"
    QM_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    QM_BINARY_DIR="${CMAKE_BINARY_DIR}")
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# qm_add_fuzzer(NAME SOURCES... LIBS ...)
function(qm_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qm_options ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt, so
# that areas owned by different people can join a folder independently.
function(qm_add_subdirectories)
  file(GLOB subs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT subs)
  foreach(sub ${subs})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${sub} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
