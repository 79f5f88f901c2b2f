# What an installed Brindle needs besides the program and the encoder library
# (installed by their own folders), and the Debian package made of it all.

set(BRINDLE_APP_ID org.example.brindle)

# The help page and its picture: beside the program in the build tree, in
# share/doc/brindle when installed; the Help button opens it from there.
set(BRINDLE_HELP_FILES ${CMAKE_SOURCE_DIR}/docs/help/brindle_help.html
                       ${CMAKE_SOURCE_DIR}/docs/main-window.png)
set(BRINDLE_HELP_COPIES)
foreach(file ${BRINDLE_HELP_FILES})
  get_filename_component(name ${file} NAME)
  list(APPEND BRINDLE_HELP_COPIES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  add_custom_command(
    OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}
    DEPENDS ${file}
    VERBATIM)
endforeach()
add_custom_target(brindle_help ALL DEPENDS ${BRINDLE_HELP_COPIES})
install(FILES ${BRINDLE_HELP_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)

# The desktop entry, the AppStream metadata and the icon at every size the
# skin generator draws.
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/${BRINDLE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/${BRINDLE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${BRINDLE_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/res/skin/pictures/128_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${BRINDLE_APP_ID}.png)
endforeach()

# What Debian asks of every package: the copyright and the package's
# changelog beside the help page, and a manual page; the last two compressed
# reproducibly.
function(brindle_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND gzip -9nc ${source} > ${output}
                     DEPENDS ${source})
endfunction()
set(BRINDLE_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
set(BRINDLE_MANUAL ${CMAKE_BINARY_DIR}/brindle.1.gz)
brindle_gzip(${CMAKE_SOURCE_DIR}/res/debian/changelog ${BRINDLE_CHANGELOG})
brindle_gzip(${CMAKE_SOURCE_DIR}/docs/brindle.1 ${BRINDLE_MANUAL})
add_custom_target(brindle_compressed_docs ALL DEPENDS ${BRINDLE_CHANGELOG} ${BRINDLE_MANUAL})
install(FILES ${CMAKE_SOURCE_DIR}/res/debian/copyright ${BRINDLE_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)
install(FILES ${BRINDLE_MANUAL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB: brindle_2.17-1_amd64.deb (upstream version and Debian
# revision), its dependencies read off the libraries the program and the
# encoder library link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR "Brindle developers")
set(CPACK_PACKAGE_CONTACT "Brindle developers <brindle@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convert sound files between WAV and MP3 in batches")
set(CPACK_PACKAGE_DESCRIPTION
    "Brindle gathers wave and MP3 files in a check-box list and converts every\nchecked file, in list order, from MP3 to wave or from wave to MP3. Wave\nfiles play directly, MP3 files in a small player.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://brindle.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its platform plugins at run time; shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The website and Help buttons open through the desktop, which xdg-open does.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
