# The desktop application: widgets over vantrel_core. Its code is a library of its own so
# that the widget tests link exactly what the application runs.
find_package(Qt6 6.4 REQUIRED COMPONENTS Gui Widgets DBus Concurrent Network)
pkg_check_modules(CANBERRA IMPORTED_TARGET libcanberra)

file(GLOB_RECURSE VANTREL_GUI_SOURCES CONFIGURE_DEPENDS gui/*.cpp gui/*.h)
list(REMOVE_ITEM VANTREL_GUI_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gui/window/main.cpp)
file(GLOB VANTREL_UI_FILES CONFIGURE_DEPENDS resources/*.ui)

add_library(vantrel_gui STATIC ${VANTREL_GUI_SOURCES} ${VANTREL_UI_FILES} resources/vantrel.qrc)
set_target_properties(vantrel_gui PROPERTIES
    AUTOMOC ON AUTOUIC ON AUTORCC ON
    AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_include_directories(vantrel_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vantrel_gui PUBLIC vantrel_core Qt6::Widgets Qt6::DBus Qt6::Concurrent Qt6::Network)
if(CANBERRA_FOUND)
    target_link_libraries(vantrel_gui PUBLIC PkgConfig::CANBERRA)
    target_compile_definitions(vantrel_gui PRIVATE VANTREL_HAVE_CANBERRA)
endif()
# A program run from this build tree reads the help pages from the sources; an installed one
# only from its own prefix.
target_compile_definitions(vantrel_gui PUBLIC
    VANTREL_BUILD_TREE="${CMAKE_BINARY_DIR}"
    VANTREL_SOURCE_RESOURCES="${CMAKE_CURRENT_SOURCE_DIR}/resources")

add_executable(vantrel gui/window/main.cpp)
target_link_libraries(vantrel PRIVATE vantrel_gui)
target_compile_definitions(vantrel PRIVATE VANTREL_VERSION="${PROJECT_VERSION}")
install(TARGETS vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(cmake/Desktop.cmake)
