# Installs the build into a scratch prefix and checks the layout of an
# installed copy: programs in bin/, data in share/kelvo/, the desktop entry and
# icon in their places, and an installed program that finds its translations.
# Called with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install failed: ${err}")
endif()

set(expected
    bin/kelvoctl
    bin/kelvo-sim
    share/kelvo/kelvo.lng
    share/kelvo/dialogs/demo.dat
    share/kelvo/help/index.html
    share/kelvo/help/editor.html
    share/kelvo/help/help-on-help.html
    share/kelvo/kelvow32.svg
    share/applications/kelvow32.desktop
    share/icons/hicolor/scalable/apps/kelvow32.svg)
if(EXISTS ${BUILD_DIR}/bin/kelvow32)
    list(APPEND expected bin/kelvow32)
endif()
foreach(f IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
foreach(f bin/kelvo.lng bin/help share/kelvo/CMakeLists.txt share/kelvo/kelvow32.desktop
        bin/shell_settings_tests)
    if(EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "installed but should not be: ${f}")
    endif()
endforeach()

# The installed kelvoctl reads the translation files from share/kelvo.
execute_process(COMMAND ${PREFIX}/bin/kelvoctl show ${PREFIX}/share/kelvo/dialogs/demo.dat
        --language Deutsch
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Zweikanal")
    message(FATAL_ERROR "installed kelvoctl found no translations (${rc}): ${out}${err}")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed layout is complete")
