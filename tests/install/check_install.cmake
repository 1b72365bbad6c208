# Installs the build into a fresh prefix and checks the installed layout as a desktop would use it: both
# programs in bin/, their data in share/orvel3/, desktop entries that desktop-file-validate accepts and
# that start the installed programs, the scalable icon, and metainfo that appstreamcli accepts.
# Run as: cmake -DBUILD=<build dir> -DPREFIX=<empty folder> -DAPP_ID=<id> -P check_install.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

set(expected
  bin/Orvel3 bin/OrvelDbTools
  share/orvel3/master.gen share/orvel3/it_help.html share/orvel3/en_help.html share/orvel3/fr_help.html
  share/orvel3/es_help.html share/orvel3/de_help.html share/orvel3/help.css
  share/applications/${APP_ID}.desktop share/applications/com.tarnwel.OrvelDbTools.desktop
  share/icons/hicolor/scalable/apps/${APP_ID}.svg
  share/metainfo/${APP_ID}.metainfo.xml)
foreach(f ${expected})
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg" svg)
if(NOT svg MATCHES "<svg" OR NOT svg MATCHES "<path")
  message(FATAL_ERROR "the icon is not a drawing")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
  message(FATAL_ERROR "desktop-file-validate and appstreamcli are needed (scripts/setup.sh installs them)")
endif()
foreach(entry ${APP_ID} com.tarnwel.OrvelDbTools)
  set(desktop "${PREFIX}/share/applications/${entry}.desktop")
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${entry}.desktop: ${out}")
  endif()
  file(STRINGS "${desktop}" exec REGEX "^Exec=")
  string(REGEX REPLACE "^Exec=" "" exec "${exec}")
  if(NOT EXISTS "${exec}" OR NOT exec MATCHES "^${PREFIX}/bin/")
    message(FATAL_ERROR "${entry}.desktop starts ${exec}, not the installed program")
  endif()
  foreach(lang it fr es de)
    file(STRINGS "${desktop}" names REGEX "^(Name|Comment)\\[${lang}\\]=")
    list(LENGTH names n)
    if(NOT n EQUAL 2)
      message(FATAL_ERROR "${entry}.desktop: Name and Comment are not both in ${lang}")
    endif()
  endforeach()
endforeach()
execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "metainfo: ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
