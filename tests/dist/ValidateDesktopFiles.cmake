# Installs the build into a scratch prefix and validates what a desktop reads
# there: the metainfo with the desktop entry and icon it names, and the entry.
#   cmake -DBUILD_DIR=... -DAPP_ID=... -DAPPSTREAMCLI=... -DDESKTOP_FILE_VALIDATE=... -P ValidateDesktopFiles.cmake
set(root ${BUILD_DIR}/desktop-check)
file(REMOVE_RECURSE ${root})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${root}/usr
                OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing into ${root} failed")
endif()
foreach(file share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
             share/icons/hicolor/scalable/apps/${APP_ID}.svg
             share/icons/hicolor/64x64/apps/${APP_ID}.png)
    if(NOT EXISTS ${root}/usr/${file})
        message(FATAL_ERROR "${file} is not installed")
    endif()
endforeach()
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${root} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "appstreamcli finds faults in the installed metainfo")
endif()
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${root}/usr/share/applications/${APP_ID}.desktop
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0 OR out)
    message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
file(REMOVE_RECURSE ${root})
