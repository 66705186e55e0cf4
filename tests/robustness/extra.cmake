# Robustness tests that take more than a few seconds (largest graphs end to end) live in
# robustness/long/ and carry the label "long", so a quick run can leave them out with -LE long.
file(GLOB robustness_long_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/long/*_test.cpp)
if(robustness_long_sources)
  add_executable(robustness_long_tests ${robustness_long_sources})
  target_link_libraries(robustness_long_tests PRIVATE bicubic_core bicubic_test_support GTest::gtest_main)
  add_dependencies(robustness_long_tests bicubic)
  gtest_discover_tests(robustness_long_tests DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS long TIMEOUT 900)
endif()
