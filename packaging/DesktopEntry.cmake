# The menu entry and the icons that put the installed program into the desktop's application
# menu, in the freedesktop.org places under the data directory.
include(GNUInstallDirs)
set(_trv_pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${_trv_pkg}/trevandel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_trv_pkg}/trevandel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 32x32 48x48 128x128)
  install(FILES ${_trv_pkg}/icons/${_size}/trevandel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}/apps)
endforeach()
