# The desktop's side of an installation, and the Debian package.
#
# cmake --install <build> --prefix <folder> makes <folder> the program folder, as run.sh does: the
# program and Help.pdf at its top, the desktop entry in share/applications and the program's
# picture in share/icons/hicolor, the entry naming the program and the picture by their full paths.
#
# cpack -G DEB makes a package that puts the program folder at /opt/tervolin and the entry and
# the pictures where the desktop looks for them (/usr/share/applications, /usr/share/icons); the
# program keeps its database in the user's folder then, since nobody may write into /opt.

set(TERVOLIN_PACKAGE_PREFIX /opt/tervolin)
set(TERVOLIN_ICON_SIZES 16 22 24 32 48 64 128 256)
set(TERVOLIN_ICONS_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)

# The pictures are drawn by the program's own code, so that the menus show what its windows show.
add_executable(make_program_icons ${CMAKE_SOURCE_DIR}/tools/make_program_icons.cpp)
target_link_libraries(make_program_icons PRIVATE tervolin_ui)
set(TERVOLIN_ICON_FILES)
foreach(size ${TERVOLIN_ICON_SIZES})
  list(APPEND TERVOLIN_ICON_FILES ${TERVOLIN_ICONS_DIR}/${size}x${size}/apps/tervolin.png)
endforeach()
add_custom_command(
  OUTPUT ${TERVOLIN_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_program_icons> ${TERVOLIN_ICONS_DIR} ${TERVOLIN_ICON_SIZES}
  DEPENDS make_program_icons
  COMMENT "Drawing the program's icons"
  VERBATIM)
add_custom_target(program_icons ALL DEPENDS ${TERVOLIN_ICON_FILES})

# Into the program folder (every plain cmake --install). The entry is written at install time,
# once the folder that --prefix names is known.
install(DIRECTORY ${TERVOLIN_ICONS_DIR} DESTINATION share/icons COMPONENT desktop)
install(CODE "
  set(TERVOLIN_DESKTOP_EXEC \"\${CMAKE_INSTALL_PREFIX}/tervolin\")
  set(TERVOLIN_DESKTOP_ICON \"\${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/256x256/apps/tervolin.png\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/tervolin.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/cmake/tervolin.desktop.in\" \"\${entry}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry}\")
" COMPONENT desktop)

# Into the package only: the desktop's own folders, outside the program folder.
set(TERVOLIN_DESKTOP_EXEC ${TERVOLIN_PACKAGE_PREFIX}/tervolin)
set(TERVOLIN_DESKTOP_ICON tervolin)
configure_file(${CMAKE_SOURCE_DIR}/cmake/tervolin.desktop.in ${CMAKE_BINARY_DIR}/package/tervolin.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/tervolin.desktop DESTINATION /usr/share/applications
  COMPONENT system EXCLUDE_FROM_ALL)
install(DIRECTORY ${TERVOLIN_ICONS_DIR} DESTINATION /usr/share/icons COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME tervolin)
set(CPACK_PACKAGE_VENDOR "Терволин")
set(CPACK_PACKAGE_CONTACT "Терволин <tervolin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Учет электроэнергии садоводческого товарищества")
set(CPACK_PACKAGE_DESCRIPTION
  "Справочник абонентов, показания счетчиков по месяцам, лицевые счета, квитанции, ведомости и графики потребления.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${TERVOLIN_PACKAGE_PREFIX})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
# The program and its guide (installed without a component of their own), and the desktop's entry
# in the system folders; not the program folder's own copy of the entry.
set(CPACK_COMPONENTS_ALL Unspecified system)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries from what the program is linked to; the fonts and the Russian texts of the
# standard dialogs, which it loads at run time, named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, qt6-translations-l10n")
include(CPack)

if(TERVOLIN_TESTS)
  add_test(NAME Package.InstallsAndStartsFromOpt
    COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/package_test.sh ${CMAKE_BINARY_DIR}
            $<TARGET_FILE:make_demo_database>)
  # A build with the sanitizers packs a program of about 140 MB with its debugging information,
  # which takes minutes on two busy cores.
  if(TERVOLIN_SANITIZE)
    set_tests_properties(Package.InstallsAndStartsFromOpt PROPERTIES TIMEOUT 1200)
  else()
    set_tests_properties(Package.InstallsAndStartsFromOpt PROPERTIES TIMEOUT 300)
  endif()
endif()
