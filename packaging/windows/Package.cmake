# Kelmoro's Windows packages, made with both programs: the installer
# (kelmoro-setup-VERSION-x64.exe, by NSIS's makensis from kelmoro.nsi) and the
# portable zip (kelmoro-VERSION-windows-x64.zip: the programs, the license and
# a short read-me in one folder). Text files get Windows line ends.
find_program(KELMORO_MAKENSIS makensis REQUIRED)

set(packageFolder ${CMAKE_BINARY_DIR}/package)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${packageFolder}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt ${packageFolder}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
set(packageTexts ${packageFolder}/LICENSE.txt ${packageFolder}/README.txt)

set(KELMORO_SETUP_FILE ${CMAKE_BINARY_DIR}/kelmoro-setup-${PROJECT_VERSION}-x64.exe)
add_custom_command(
  OUTPUT ${KELMORO_SETUP_FILE}
  COMMAND ${KELMORO_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DOUTFILE=${KELMORO_SETUP_FILE}
          -DKELMORO_EXE=$<TARGET_FILE:kelmoro> -DKELMORO_CLI_EXE=$<TARGET_FILE:kelmoro-cli>
          -DKELMORO_ICO=${KELMORO_ICON_FILE} -DLICENSE_TXT=${packageFolder}/LICENSE.txt
          -DREADME_TXT=${packageFolder}/README.txt ${CMAKE_CURRENT_LIST_DIR}/kelmoro.nsi
  DEPENDS kelmoro kelmoro-cli ${KELMORO_ICON_FILE} ${packageTexts}
          ${CMAKE_CURRENT_LIST_DIR}/kelmoro.nsi
  COMMENT "Making the installer with NSIS"
  VERBATIM)

set(portableName kelmoro-${PROJECT_VERSION}-windows-x64)
set(portable ${CMAKE_BINARY_DIR}/${portableName}.zip)
add_custom_command(
  OUTPUT ${portable}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${packageFolder}/${portableName} ${portable}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${packageFolder}/${portableName}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kelmoro> $<TARGET_FILE:kelmoro-cli>
          ${packageTexts} ${packageFolder}/${portableName}
  COMMAND ${CMAKE_COMMAND} -E chdir ${packageFolder}
          ${CMAKE_COMMAND} -E tar cf ${portable} --format=zip ${portableName}
  DEPENDS kelmoro kelmoro-cli ${packageTexts}
  COMMENT "Making the portable zip"
  VERBATIM)

add_custom_target(windows_packages ALL DEPENDS ${KELMORO_SETUP_FILE} ${portable})
