# meru_library(NAME DIR [QT] [DEPS lib...])
# One static library from every .cpp in DIR (not recursive). A folder without
# sources yet gives an INTERFACE library, so dependants can name it already.
function(meru_library name dir)
  cmake_parse_arguments(ML "QT" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ML_DEPS})
    if(ML_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
      target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ML_DEPS})
  endif()
endfunction()

# meru_test(NAME DIR [QT] DEPS lib... [FILES file...])
# One GoogleTest executable from every .cpp in DIR (or only the FILES named, in
# DIR); each test case becomes a CTest test.
function(meru_test name dir)
  cmake_parse_arguments(MT "QT" "" "DEPS;FILES" ${ARGN})
  if(MT_FILES)
    list(TRANSFORM MT_FILES PREPEND ${dir}/ OUTPUT_VARIABLE srcs)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  if(MT_QT)
    # Qt tests draw with the fonts laid next to the executable.
    add_dependencies(${name} meru_runtime_files)
  endif()
  target_link_libraries(${name} PRIVATE ${MT_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  # The test framework and the standard headers most tests include are parsed
  # once per executable instead of once per test file. Only unoptimised builds
  # do so: GCC's optimiser warnings treat standard headers read from a
  # precompiled header as the test's own code and report false positives there.
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_precompile_headers(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/precompiled.h)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    MERU_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests"
    MERU_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
    MERU_RUNTIME_DIR="${MERU_RUNTIME_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(MT_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST)
endfunction()
