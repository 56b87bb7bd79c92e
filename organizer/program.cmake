# The organizer's start-up parts and, on Windows, the program Velquin.exe with its resources.
target_sources(organizer_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/version.cpp ${CMAKE_CURRENT_LIST_DIR}/startup.cpp)
if(NOT WIN32)
    return()
endif()
target_link_libraries(organizer_core PUBLIC version)

enable_language(RC)
# The windows of the program; the tests link them to run the procedures in their own process.
add_library(organizer_windows STATIC ${CMAKE_CURRENT_LIST_DIR}/standard.cpp ${CMAKE_CURRENT_LIST_DIR}/browseoffice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/browseoffice_tree.cpp ${CMAKE_CURRENT_LIST_DIR}/browseoffice_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/versioncheck.cpp ${CMAKE_CURRENT_LIST_DIR}/updateoffice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/updateoffice_store.cpp ${CMAKE_CURRENT_LIST_DIR}/filelink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finddialogs.cpp ${CMAKE_CURRENT_LIST_DIR}/listprint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reportpreview.cpp ${CMAKE_CURRENT_LIST_DIR}/updateclass.cpp
    ${CMAKE_CURRENT_LIST_DIR}/newdb.cpp ${CMAKE_CURRENT_LIST_DIR}/setting.cpp ${CMAKE_CURRENT_LIST_DIR}/findole.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rtftest.cpp)
target_compile_options(organizer_windows PRIVATE ${VELQUIN_WARNINGS})
# Brovana.dll is bound at load time: the version check imports its page fetch.
target_link_libraries(organizer_windows PUBLIC organizer_core Brovana comctl32 gdi32 ole32 oleaut32 uuid shell32)
# The spreadsheet export and the writer behind it.
target_sources(organizer_windows PRIVATE ${CMAKE_CURRENT_LIST_DIR}/listexcel.cpp)
target_link_libraries(organizer_windows PUBLIC velquin_xl)

add_executable(Velquin WIN32 ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/Velquin.rc)
# The resource script names its icons and pictures relative to its own folder.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/Velquin.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_CURRENT_LIST_DIR})
# The resource compiler's includes are not tracked: the scripts are built again when the art or its list changes.
file(GLOB organizer_art CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/art/*)
set(VELQUIN_ART_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/art.rc ${organizer_art} CACHE INTERNAL "")
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/Velquin.rc APPEND PROPERTY OBJECT_DEPENDS ${VELQUIN_ART_DEPENDS}
    ${CMAKE_CURRENT_LIST_DIR}/Velquin.manifest)
target_compile_options(Velquin PRIVATE ${VELQUIN_WARNINGS})
target_link_libraries(Velquin PRIVATE organizer_windows)
# Velquin.exe loads Brovana.dll from its own folder.
add_custom_command(TARGET Velquin POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Brovana> $<TARGET_FILE_DIR:Velquin>/Brovana.dll)
