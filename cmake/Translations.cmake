# The programs' languages. lrelease turns each translations/*.ts into a .qm file that is built
# into the programs as a resource, so that a program in the build folder speaks them too; the
# update_translations target has lupdate bring the .ts files up to the code's texts.
# Debian ships both tools in qt6-l10n-tools, beside Qt's own programs.
set(_tidemarker_qt_bin_dir ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
find_program(TIDEMARKER_LRELEASE lrelease HINTS ${_tidemarker_qt_bin_dir} NO_DEFAULT_PATH)
find_program(TIDEMARKER_LUPDATE lupdate HINTS ${_tidemarker_qt_bin_dir} NO_DEFAULT_PATH)
if(NOT TIDEMARKER_LRELEASE OR NOT TIDEMARKER_LUPDATE)
    message(FATAL_ERROR "Qt 6's lrelease and lupdate are not in ${_tidemarker_qt_bin_dir} "
                        "(Debian: install qt6-l10n-tools)")
endif()

set(TIDEMARKER_LANGUAGES de fr es ja)
set(TIDEMARKER_TS_FILES)
foreach(language IN LISTS TIDEMARKER_LANGUAGES)
    list(APPEND TIDEMARKER_TS_FILES ${PROJECT_SOURCE_DIR}/translations/tidemarker_${language}.ts)
endforeach()
# Line numbers would change with every edit of the code; the texts and their contexts do not.
set(TIDEMARKER_LUPDATE_ARGUMENTS -silent -locations none -extensions cpp,h ${PROJECT_SOURCE_DIR}/src)

add_custom_target(update_translations
    COMMAND ${TIDEMARKER_LUPDATE} ${TIDEMARKER_LUPDATE_ARGUMENTS} -no-obsolete -ts ${TIDEMARKER_TS_FILES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Bringing translations/*.ts up to the code's texts"
    VERBATIM)

# tidemarker_add_translations(TARGET): the .qm files as resources below :/i18n of TARGET.
function(tidemarker_add_translations target)
    set(qm_files)
    foreach(ts IN LISTS TIDEMARKER_TS_FILES)
        get_filename_component(name ${ts} NAME_WE)
        set(qm ${CMAKE_CURRENT_BINARY_DIR}/i18n/${name}.qm)
        add_custom_command(OUTPUT ${qm}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/i18n
            COMMAND ${TIDEMARKER_LRELEASE} -silent ${ts} -qm ${qm}
            DEPENDS ${ts}
            VERBATIM)
        list(APPEND qm_files ${qm})
    endforeach()
    qt_add_resources(${target} tidemarker_translations
        PREFIX /i18n BASE ${CMAKE_CURRENT_BINARY_DIR}/i18n FILES ${qm_files})
endfunction()
