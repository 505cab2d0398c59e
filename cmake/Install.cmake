# Installing Moravel as a desktop application, and its Debian package (scripts/package).
# Included at the end of the top-level CMakeLists.txt, once the programs exist.

include(GNUInstallDirs)

add_subdirectory(packaging)

set(moravel_app_id "org.moravel.moravel")
set(moravel_share "${CMAKE_INSTALL_DATADIR}")
set(moravel_packaging "${PROJECT_BINARY_DIR}/packaging")

install(TARGETS moravel moravel-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# A stripped program keeps the compiler's .comment and the .note section, which Debian strips
# too (as dh_strip does).
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program moravel moravel-cli)
            execute_process(
                COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

# The menu entry, the software centres' description and the icon, all under the application id.
install(FILES "packaging/${moravel_app_id}.desktop" DESTINATION "${moravel_share}/applications")
install(FILES "packaging/${moravel_app_id}.metainfo.xml" DESTINATION "${moravel_share}/metainfo")
install(FILES "data/icons/${moravel_app_id}.svg"
        DESTINATION "${moravel_share}/icons/hicolor/scalable/apps")
if(MORAVEL_ICONS_RENDERED)
    install(DIRECTORY "${moravel_packaging}/icons/" DESTINATION "${moravel_share}/icons")
endif()

# The help pages live with the desktop's help, in share/help/C/moravel, and the window finds
# them beside the installed program as share/moravel/help, a link to that folder.
set(moravel_help "${moravel_share}/help/C/moravel")
install(FILES help/index.html help/getting-started.html help/moravel.css
        DESTINATION "${moravel_help}")
install(FILES "data/icons/${moravel_app_id}.svg" DESTINATION "${moravel_help}" RENAME moravel.svg)
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${moravel_share}/moravel/help\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${moravel_share}/moravel\")
    file(REMOVE_RECURSE \"\${link}\")
    file(CREATE_LINK ../help/C/moravel \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ../help/C/moravel\")")

install(FILES "${moravel_packaging}/man/moravel.1.gz" "${moravel_packaging}/man/moravel-cli.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# Debian keeps the licence and the changelog of a package in /usr/share/doc/<package>, and
# the package's answers to lintian in /usr/share/lintian/overrides.
install(FILES packaging/copyright "${moravel_packaging}/changelog.Debian.gz"
        DESTINATION "${moravel_share}/doc/moravel")
install(FILES packaging/lintian-overrides DESTINATION "${moravel_share}/lintian/overrides"
        RENAME moravel)

# The Debian package. Depends comes from the libraries the programs link (dpkg-shlibdeps),
# plus Qt's platform plugins, which Qt loads at run time and dpkg-shlibdeps cannot see.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moravel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Moravel developers")
set(CPACK_PACKAGE_CONTACT "The Moravel developers <developers@moravel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep your desktop tidy by your own rules")
set(CPACK_PACKAGE_DESCRIPTION_FILE "${PROJECT_SOURCE_DIR}/packaging/description.txt")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/moravel/moravel")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${MORAVEL_DEBIAN_REVISION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Pages, folders and web links open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
