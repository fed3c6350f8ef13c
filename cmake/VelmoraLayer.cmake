# velmora_layer(NAME DEPS...): one static library per layer, built from every source file of
# src/NAME. Layers link only the layers below them.
function(velmora_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB impl CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  if(impl)
    add_library(velmora_${name} STATIC ${sources})
    target_include_directories(velmora_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(velmora_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(velmora_${name} INTERFACE)
    target_include_directories(velmora_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(velmora_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# velmora_layer_tests(NAME DEPS...): one test program per layer from tests/NAME/*_test.cc.
function(velmora_layer_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cc)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_link_libraries(${name}_tests PRIVATE velmora_test_support ${ARG_DEPS} GTest::gtest GTest::gmock
                        GTest::gtest_main)
  gtest_discover_tests(${name}_tests
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               LABELS "${name};${ARG_LABELS}"
               TIMEOUT 300)
endfunction()
