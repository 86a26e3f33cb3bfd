# The menu entry, the icons, the AppStream metadata and the SPM file type that put the installed
# program into the desktop's application menu and software centre and let a file manager open
# spectra with it, in the freedesktop.org places under the data directory. The menu entry is
# named after the AppStream id, which the metadata's launchable names.
include(GNUInstallDirs)
set(_trv_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_trv_app_id org.trevandel.Trevandel)
install(FILES ${_trv_pkg}/${_trv_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_trv_pkg}/${_trv_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_trv_pkg}/trevandel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME trevandel.xml)
install(FILES ${_trv_pkg}/trevandel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 32x32 48x48 128x128)
  install(FILES ${_trv_pkg}/icons/${_size}/trevandel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}/apps)
endforeach()
