# What a desktop reads to list, start and describe the window: the menu entry, the icon in
# the hicolor sizes, the AppStream metainfo, and the help pages the program opens.
set(VANTREL_APP_ID app.vantrel.Vantrel)
set(VANTREL_DESKTOP_FILE ${CMAKE_CURRENT_SOURCE_DIR}/resources/${VANTREL_APP_ID}.desktop)
install(FILES ${VANTREL_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY resources/help DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel)

# Every PNG size is rendered from the SVG, so the icon has one source.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_svg ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/vantrel.svg)
set(icon_pngs)
foreach(size 16 22 24 32 48 64 128 256 512)
    set(folder ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    add_custom_command(OUTPUT ${folder}/vantrel.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${folder}/vantrel.png
                ${icon_svg}
        DEPENDS ${icon_svg} VERBATIM)
    list(APPEND icon_pngs ${folder}/vantrel.png)
    install(FILES ${folder}/vantrel.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vantrel_icons ALL DEPENDS ${icon_pngs})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The metainfo lists the MIME types of the desktop file's MimeType line, so that a type
# added there reaches software centres too.
file(STRINGS ${VANTREL_DESKTOP_FILE} mime_line REGEX "^MimeType=")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VANTREL_DESKTOP_FILE})
string(REGEX REPLACE "^MimeType=" "" mime_types "${mime_line}")
set(VANTREL_MEDIA_TYPES "")
foreach(type ${mime_types})
    string(APPEND VANTREL_MEDIA_TYPES "\n    <mediatype>${type}</mediatype>")
endforeach()
configure_file(resources/${VANTREL_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${VANTREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${VANTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
