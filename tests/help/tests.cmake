# The Help menu's windows and the Laugh picture's decoder; own main() for the QApplication.
file(GLOB TRV_HELP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/*.cpp)
if(TRV_HELP_TEST_SOURCES AND TARGET trv_help)
  add_executable(test_help ${TRV_HELP_TEST_SOURCES})
  target_link_libraries(test_help PRIVATE trv_help GTest::gtest)
  target_compile_definitions(test_help PRIVATE
    TRV_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/help/data"
    TRV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TRV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # A decoder that never finishes the picture ends the test at the time limit.
  gtest_discover_tests(test_help DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${TRV_QT_TEST_ENVIRONMENT}" TIMEOUT 60)
endif()
