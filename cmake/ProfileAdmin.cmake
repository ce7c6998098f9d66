# Shared build helpers: every library and test target compiles with the same
# Qt modules and definitions, so all of them reuse one precompiled header.

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
# below tests/<folder>, registered test by test with CTest.
function(pa_add_test folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(target test_${folder})
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(${target} PRIVATE pa_test_support ${ARG_DEPS} GTest::gmock)
  pa_use_pch(${target})
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PA_TRACE_DIR=${CMAKE_BINARY_DIR}/test-trace"
               TIMEOUT 300)
endfunction()
