# `cmake --build build --target package` makes build/vantrel_<version>_<arch>.deb from what
# `cmake --install` puts under /usr. Its library dependencies are read off the programs by
# dpkg-shlibdeps. exiftool is recommended, not required: an export without it goes on and
# says so once; so is the sound theme that has the event sound played at a batch's end.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
install(FILES resources/package/copyright DESTINATION ${doc_dir})
execute_process(COMMAND date --utc --rfc-email --date=${VANTREL_RELEASE_DATE}
                OUTPUT_VARIABLE VANTREL_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(changelog ${CMAKE_BINARY_DIR}/package/changelog)
configure_file(resources/package/changelog.in ${changelog}.txt @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${changelog}.txt ${changelog}
    COMMAND ${GZIP} -9nf ${changelog}
    DEPENDS ${changelog}.txt VERBATIM)
add_custom_target(vantrel_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_CONTACT "Vantrel <support@vantrel.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch photo processor with a live preview")
set(CPACK_PACKAGE_DESCRIPTION
    "Gather photos into a batch, choose one set of effects for all of them
(brightness, contrast, saturation, a crop, quarter turns, scaling), watch a
live preview and export the whole batch into a fresh folder as JPEG, PNG or
TIFF, with the photos' metadata copied on request.

vantrel-batch exports with the same rules from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vantrel.app/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libimage-exiftool-perl, sound-theme-freedesktop")
# Directories as Debian has them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
