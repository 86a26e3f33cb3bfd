# End-to-end tests: the real program on an Xvfb display, driven with xdotool.
add_test(NAME e2e.OpenSaveMistakesAndLastFolder
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/open_save.sh
          $<TARGET_FILE:trevandel> $<TARGET_FILE:trevandel-convert> ${PROJECT_SOURCE_DIR}/samples)
set_tests_properties(e2e.OpenSaveMistakesAndLastFolder PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
add_test(NAME e2e.PrintWholePlot
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/print.sh $<TARGET_FILE:trevandel> ${PROJECT_SOURCE_DIR}/samples)
set_tests_properties(e2e.PrintWholePlot PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
add_test(NAME e2e.CalibrateFromReference
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/calibrate.sh
          $<TARGET_FILE:trevandel> $<TARGET_FILE:trevandel-convert> ${PROJECT_SOURCE_DIR}/samples)
set_tests_properties(e2e.CalibrateFromReference PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
add_test(NAME e2e.FollowFileKeepsTheHeader
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/follow.sh
          $<TARGET_FILE:trevandel> $<TARGET_FILE:trevandel-convert> ${PROJECT_SOURCE_DIR}/samples)
set_tests_properties(e2e.FollowFileKeepsTheHeader PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
