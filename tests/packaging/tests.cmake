# What the packages put beside the binaries (manual pages, bash completion, menu entry, AppStream
# metadata, file type) and how the program starts from a desktop or a shell.
set(_trv_pkg_tests ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
add_test(NAME packaging.ManPages
  COMMAND ${_trv_pkg_tests}/man_pages.sh $<TARGET_FILE:trevandel-convert> ${PROJECT_SOURCE_DIR}/docs/man)
add_test(NAME packaging.BashCompletion
  COMMAND ${_trv_pkg_tests}/bash_completion.sh $<TARGET_FILE:trevandel-convert>
          ${PROJECT_SOURCE_DIR}/packaging/trevandel-convert.bash-completion)
add_test(NAME packaging.DesktopMetadata
  COMMAND ${_trv_pkg_tests}/desktop_metadata.sh ${PROJECT_SOURCE_DIR}/packaging)
set_tests_properties(packaging.ManPages packaging.BashCompletion packaging.DesktopMetadata
  PROPERTIES SKIP_RETURN_CODE 77)
if(TARGET trevandel)
  add_test(NAME packaging.NoDisplayMessage
    COMMAND ${_trv_pkg_tests}/no_display.sh $<TARGET_FILE:trevandel> ${PROJECT_SOURCE_DIR})
  add_test(NAME e2e.FileArgumentOpensTheSpectrum
    COMMAND ${_trv_pkg_tests}/file_argument.sh $<TARGET_FILE:trevandel>
            $<TARGET_FILE:trevandel-convert> ${PROJECT_SOURCE_DIR}/samples)
  set_tests_properties(e2e.FileArgumentOpensTheSpectrum PROPERTIES
    TIMEOUT 120 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
endif()
