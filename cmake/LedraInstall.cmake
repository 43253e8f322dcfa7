# Install rules. In the build folder everything the program uses lies beside the binary
# (build/bin); an installation spreads it over the usual places under the prefix:
#
#   bin/                      ledra, ledra-cli
#   <libdir>/ledra/           plug-ins (klaro.so)
#   share/ledra/              the data folder template DATEN, help, export templates
#   share/applications/, share/icons/hicolor/, share/metainfo/, share/man/man1/,
#   share/doc/ledra/          launcher, icon, AppStream metainfo, manual page, copyright
#
# The program finds each shipped file through InstallLayout (src/store/InstallLayout.h),
# which knows both layouts; the directory names below are compiled into it.
#
# Whoever adds a file beside the program announces it here, next to the rule that makes it:
#   ledra_ship(FILES <names in build/bin>... DIRECTORIES <folders in build/bin>...
#              PLUGINS <targets>...)
# Files and folders go to share/ledra, plug-in targets to <libdir>/ledra. The open-items
# plug-in target "klaro" is picked up without that when it exists.

include(GNUInstallDirs)
set(LEDRA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/ledra)
set(LEDRA_INSTALL_PLUGINDIR ${CMAKE_INSTALL_LIBDIR}/ledra)
set(LEDRA_APP_ID de.ledra.ledra)

function(ledra_ship)
  cmake_parse_arguments(SHIP "" "" "FILES;DIRECTORIES;PLUGINS" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY LEDRA_SHIPPED_FILES ${SHIP_FILES})
  set_property(GLOBAL APPEND PROPERTY LEDRA_SHIPPED_DIRECTORIES ${SHIP_DIRECTORIES})
  set_property(GLOBAL APPEND PROPERTY LEDRA_SHIPPED_PLUGINS ${SHIP_PLUGINS})
endfunction()

# Runs when the whole tree has been read, so that targets and announcements made anywhere
# in it are seen.
function(ledra_install_shipped)
  set(bin ${CMAKE_BINARY_DIR}/bin)
  install(TARGETS ledra ledra-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  get_property(plugins GLOBAL PROPERTY LEDRA_SHIPPED_PLUGINS)
  if(TARGET klaro)
    list(APPEND plugins klaro)
  endif()
  list(REMOVE_DUPLICATES plugins)
  foreach(p IN LISTS plugins)
    install(TARGETS ${p} LIBRARY DESTINATION ${LEDRA_INSTALL_PLUGINDIR})
  endforeach()

  get_property(files GLOBAL PROPERTY LEDRA_SHIPPED_FILES)
  list(REMOVE_DUPLICATES files)
  foreach(f IN LISTS files)
    install(FILES ${bin}/${f} DESTINATION ${LEDRA_INSTALL_DATADIR})
  endforeach()
  get_property(dirs GLOBAL PROPERTY LEDRA_SHIPPED_DIRECTORIES)
  list(REMOVE_DUPLICATES dirs)
  foreach(d IN LISTS dirs)
    # .stamp and other dot files are build bookkeeping.
    install(DIRECTORY ${bin}/${d} DESTINATION ${LEDRA_INSTALL_DATADIR}
            PATTERN ".*" EXCLUDE)
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL ledra_install_shipped)

# The desktop integration and the documentation.
set(desk ${PROJECT_SOURCE_DIR}/data/desktop)
install(FILES ${desk}/${LEDRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desk}/icons/ledra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${LEDRA_APP_ID}.svg)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${desk}/icons/ledra-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${LEDRA_APP_ID}.png)
endforeach()
configure_file(${desk}/${LEDRA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${LEDRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${LEDRA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages are installed compressed, as Debian wants them; -n keeps the file the same
# from build to build.
set(man_gz ${CMAKE_BINARY_DIR}/man/ledra-cli.1.gz)
add_custom_command(OUTPUT ${man_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/man/ledra-cli.1 > ${man_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/man/ledra-cli.1 VERBATIM)
add_custom_target(ledra_man ALL DEPENDS ${man_gz})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${desk}/copyright README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
