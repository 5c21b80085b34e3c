# Where `cmake --install` and the package put the programs and their files. The
# marker in share/tessarolith/ is how an installed copy knows it is one (and so
# keeps its settings in the user's configuration folder, not beside itself).
include(GNUInstallDirs)

install(TARGETS tessarolith-batch tessarolith-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TESS_BUILD_GUI)
  install(TARGETS tessarolith RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# A stripped install (the package's) drops the compilers' version notes as
# well, as Debian strips its programs.
if(CMAKE_STRIP)
  set(programs tessarolith-batch tessarolith-thumbnailer)
  if(TESS_BUILD_GUI)
    list(APPEND programs tessarolith)
  endif()
  foreach(program ${programs})
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endforeach()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/installed DESTINATION ${CMAKE_INSTALL_DATADIR}/tessarolith)
install(FILES ${CMAKE_SOURCE_DIR}/data/org.tessarolith.Tessarolith.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/org.tessarolith.Tessarolith.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Where file managers look for the programs that thumbnail the kinds they can't.
install(FILES ${CMAKE_SOURCE_DIR}/data/org.tessarolith.Tessarolith.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/assets/icon/tessarolith_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tessarolith.png)
endforeach()

# Debian ships manual pages and changelogs gzipped at the highest level, with
# no file name or time in the header, so that the same text gives the same
# bytes on every build; editing a source here makes the next build redo it.
find_program(TESS_GZIP gzip REQUIRED)
function(tess_gzipped source output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND ${TESS_GZIP} -9 -n -c INPUT_FILE ${source} OUTPUT_FILE ${output}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${source}: ${failed}")
  endif()
endfunction()
set(gzipped ${CMAKE_BINARY_DIR}/gzipped)
file(MAKE_DIRECTORY ${gzipped})
foreach(page tessarolith tessarolith-batch tessarolith-thumbnailer)
  tess_gzipped(${CMAKE_SOURCE_DIR}/doc/man/${page}.1 ${gzipped}/${page}.1.gz)
  install(FILES ${gzipped}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The package's own documents, in the folder named after the package rather
# than the project.
tess_gzipped(${CMAKE_SOURCE_DIR}/data/debian/changelog ${gzipped}/changelog.gz)
install(FILES ${gzipped}/changelog.gz ${CMAKE_SOURCE_DIR}/data/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessarolith)

# The Debian package (scripts/package.sh). The libraries come from
# dpkg-shlibdeps; what the programs load by name is listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessarolith)
set(CPACK_PACKAGE_VENDOR "Tessarolith")
set(CPACK_PACKAGE_CONTACT "Tessarolith maintainers <maintainers@tessarolith.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make a thumbnail of every picture in a folder")
set(CPACK_PACKAGE_DESCRIPTION
  "Tessarolith turns every picture of a folder (bitmap, JPEG, PNG, GIF, WebP,\nTIFF, HEIF, AVIF, JPEG XL and camera raws) into a thumbnail file, with a\nJapanese user interface (tessarolith) and the same engine on the command line\n(tessarolith-batch), which also fills the desktop's shared thumbnail cache; and\na thumbnailer that shows camera raw, JPEG XL, HEIF, AVIF and WebP pictures in\nfile managers (tessarolith-thumbnailer).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's font (its labels name a Japanese Gothic face) and Qt's own
# Japanese texts for the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# The picture libraries the programs open themselves, which the scan of what
# they link cannot see: the packages that hold the ones built against.
set(owners)
foreach(library heif jxl jxl_threads)
  get_filename_component(file "${pkgcfg_lib_LATE_PICTURE_LIBS_${library}}" REALPATH)
  execute_process(COMMAND dpkg-query -S "${file}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND owner MATCHES "^([^:,]+)")
    list(APPEND owners "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(REMOVE_DUPLICATES owners)
foreach(owner ${owners})
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${owner}")
endforeach()
# Without XWayland the window runs on Wayland itself.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# Packing needs only the programs, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
