# The manual pages are made from each program's own --help and --version, so they say
# nothing that --help does not; the bash completion reads vantrel-batch --help as it runs.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

function(vantrel_manual_page program)
    set(extra ${PROJECT_SOURCE_DIR}/resources/man/${program}.h2m)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${HELP2MAN} --no-info --section=1 --include=${extra} --output=${page}
                $<TARGET_FILE:${program}>
        COMMAND ${GZIP} -9nf ${page}
        DEPENDS ${program} ${extra} VERBATIM)
    add_custom_target(${program}_manual_page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

vantrel_manual_page(vantrel-batch)
if(VANTREL_BUILD_GUI)
    vantrel_manual_page(vantrel)
endif()

install(FILES resources/completion/vantrel-batch
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
