# bicubic-check's tests: every *_test.cpp in this folder, one program labelled "check"; tests
# with "Long" in their name take more than a few seconds and carry the label "long" instead.
file(GLOB check_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
list(APPEND check_test_sources ${CMAKE_CURRENT_LIST_DIR}/check_support.cpp)
if(check_test_sources AND TARGET check_app)
  add_executable(check_tests ${check_test_sources})
  target_link_libraries(check_tests PRIVATE check_app check_families bicubic_test_support GTest::gtest_main)
  target_include_directories(check_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_compile_definitions(check_tests PRIVATE BICUBIC_CHECK_EXECUTABLE="$<TARGET_FILE:bicubic-check>")
  add_dependencies(check_tests bicubic-check)
  gtest_discover_tests(check_tests DISCOVERY_TIMEOUT 60 TEST_FILTER "-*Long*" PROPERTIES LABELS check)
  gtest_discover_tests(check_tests DISCOVERY_TIMEOUT 60 TEST_FILTER "*Long*" PROPERTIES LABELS long TIMEOUT 900)
endif()
