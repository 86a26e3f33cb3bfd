# What a Debian system expects beside the binaries: manual pages, bash completion, the copyright
# file and the changelog (lintian checks them in make check-package). Manual pages and the
# changelog are gzipped with -9n (no name, no time stamp), as Debian's policy and lintian want,
# so the package is reproducible.
include(GNUInstallDirs)
set(_trv_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_trv_gz_dir ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_trv_gz_dir})

find_program(TRV_GZIP gzip REQUIRED)
set(_trv_gz_files)
function(trv_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND sh -c "\"$1\" -9nc \"$2\" >\"$3\"" sh ${TRV_GZIP} ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
  set(_trv_gz_files ${_trv_gz_files} ${output} PARENT_SCOPE)
endfunction()

set(_trv_man_pages trevandel-convert)
if(TARGET trevandel)
  list(APPEND _trv_man_pages trevandel)
endif()
foreach(_page ${_trv_man_pages})
  trv_gzip(${PROJECT_SOURCE_DIR}/docs/man/${_page}.1 ${_trv_gz_dir}/${_page}.1.gz)
  install(FILES ${_trv_gz_dir}/${_page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Where bash-completion's pkg-config file puts completions (its completionsdir), relative to the
# prefix so that an install under /usr/local stays there; bash-completion also looks there.
install(FILES ${_trv_pkg}/trevandel-convert.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME trevandel-convert)

# A package without a Debian revision is native: its changelog is changelog.gz.
set(_trv_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/trevandel)
trv_gzip(${_trv_pkg}/changelog ${_trv_gz_dir}/changelog.gz)
install(FILES ${_trv_gz_dir}/changelog.gz ${_trv_pkg}/copyright DESTINATION ${_trv_doc_dir})

add_custom_target(trv_system_files ALL DEPENDS ${_trv_gz_files})
