# Shared build helpers: every library and test target compiles with the same
# Qt modules and definitions, so all of them reuse one precompiled header.

# Sanitizers apply to every target (the precompiled header included), so they
# are set before the first target is defined. A finding ends the program:
# a report that only scrolls past in a test log is not noticed.
if(PA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PA_FUZZ needs clang (configure with CXX=clang++)")
  endif()
  set(PA_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(PA_SANITIZE)
  # -O1 -g1 (line tables only) after the build type's flags: reports keep file
  # and line, and the build takes about a third less time than with -O2 -g.
  add_compile_options(-O1 -g1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
  # Allocations that Qt or a system library keeps on purpose are suppressed by
  # name in cmake/lsan.supp; every other leak fails its test.
  set(PA_SANITIZER_ENVIRONMENT
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1")
else()
  set(PA_SANITIZER_ENVIRONMENT "")
endif()

add_library(pa_qt INTERFACE)
target_link_libraries(pa_qt INTERFACE
  Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network Qt6::PrintSupport Qt6::Charts Qt6::Xml)
target_compile_definitions(pa_qt INTERFACE QT_NO_KEYWORDS)

# The object library that owns the precompiled header.
add_library(pa_pch STATIC ${CMAKE_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(pa_pch PUBLIC pa_qt)
target_precompile_headers(pa_pch PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h)

function(pa_use_pch target)
  target_precompile_headers(${target} REUSE_FROM pa_pch)
endfunction()

# pa_add_library(<folder> DEPS <libs...>): one static library from every
# .cpp/.h below src/<folder>.
function(pa_add_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(target pa_${folder})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC pa_qt ${ARG_DEPS})
  pa_use_pch(${target})
endfunction()

# pa_add_test(<folder> DEPS <libs...>): one test program from every .cpp
# below tests/<folder>, registered with CTest as one test. A process per case
# cost more in start-up than most cases take; run a single case with the
# program's --gtest_filter.
# SOURCES <files...> replaces the folder's files (when the folder also holds a
# helper program of the test).
function(pa_add_test folder)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(${target} PRIVATE pa_test_support ${ARG_DEPS} GTest::gmock)
  pa_use_pch(${target})
  set(environment "QT_QPA_PLATFORM=offscreen" "PA_TRACE_DIR=${CMAKE_BINARY_DIR}/test-trace"
      ${PA_SANITIZER_ENVIRONMENT})
  # Test databases are thrown away afterwards: in a memory file system their
  # syncs cost nothing, and the syncs were most of the suite's time.
  if(IS_DIRECTORY /dev/shm)
    list(APPEND environment "TMPDIR=/dev/shm")
  endif()
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600)
endfunction()

# pa_add_fuzz_target(<name> <source> DEPS <libs...>): a libFuzzer target
# fuzz_<name> for one input format, seeded from fuzz/corpus/<name>/. The
# source defines LLVMFuzzerTestOneInput and refuses inputs over the format's
# size limit first. With PA_FUZZ it links libFuzzer (scripts/fuzz runs it);
# otherwise it is linked with a driver that feeds it every seed once, and that
# replay is a test.
function(pa_add_fuzz_target name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(target fuzz_${name})
  set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  if(NOT IS_DIRECTORY ${corpus})
    message(FATAL_ERROR "${target}: the seed corpus ${corpus} is missing")
  endif()
  if(PA_FUZZ)
    add_executable(${target} ${source})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${target} ${source} ${CMAKE_SOURCE_DIR}/fuzz/ReplayMain.cpp)
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PRIVATE pa_qt ${ARG_DEPS})
  pa_use_pch(${target})
  set_property(GLOBAL APPEND PROPERTY PA_FUZZ_TARGETS ${target})
  if(NOT PA_FUZZ AND PA_BUILD_TESTS)
    add_test(NAME fuzz_corpus.${name} COMMAND ${target} ${corpus})
    set_tests_properties(fuzz_corpus.${name} PROPERTIES TIMEOUT 120)
    if(PA_SANITIZER_ENVIRONMENT)
      set_tests_properties(fuzz_corpus.${name} PROPERTIES ENVIRONMENT "${PA_SANITIZER_ENVIRONMENT}")
    endif()
  endif()
endfunction()
