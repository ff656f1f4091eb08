# Installation and the Debian package (Linux).
#   cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build-pkg && (cd build-pkg && cpack -G DEB)
# The program looks for its help pages under the prefix it was built for, so the package is
# made from a build configured with the prefix it installs to.
include(GNUInstallDirs)

set(VPG_PACKAGE_NAME vimbrel-pulse-generator)
foreach(program vpg vpg-send vpg-render)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

file(GLOB VPG_HELP_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*.html)
install(FILES ${VPG_HELP_PAGES} ${PROJECT_SOURCE_DIR}/help/style.css
              ${PROJECT_SOURCE_DIR}/help/wiring.png ${PROJECT_SOURCE_DIR}/help/vpg.hhc
        DESTINATION ${CMAKE_INSTALL_DATADIR}/${VPG_PACKAGE_NAME}/help)
install(FILES ${PROJECT_SOURCE_DIR}/data/${VPG_PACKAGE_NAME}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/art/vpg-icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VPG_PACKAGE_NAME}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/art/vpg-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VPG_PACKAGE_NAME}.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VPG_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Halvane)
set(CPACK_PACKAGE_CONTACT "Halvane <vpg@halvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Signal generator that drives a strobe lamp in step with a loudspeaker")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The left channel carries a sine at the speaker frequency, the right channel short\npulses at that frequency plus a small delta, so that a lamp on the right channel\nshows the cone standing still or moving in slow motion. With vpg-send for remote\ncontrol and vpg-render, which writes the signal into a WAV file.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.halvane.example")
# The libraries the programs link come from dpkg-shlibdeps; what Qt and ALSA load at run time
# it cannot see: Qt's X11 platform plugin, without which no window opens, and ALSA's route to
# PulseAudio or PipeWire.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol")
include(CPack)
