# `cpack -G DEB` in the build folder: one Debian package per install
# component. The file names all start with "korvel-", so
# `apt-get install ./korvel-*.deb` installs the set.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "Korvel Project")
set(CPACK_PACKAGE_CONTACT "Korvel Project <bugs@korvel.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(KORVEL_DEB_COMPONENTS runtime dev cli)
if(TARGET korvel-widgets)
  list(APPEND KORVEL_DEB_COMPONENTS widgets)
endif()
if(TARGET quelm)
  list(APPEND KORVEL_DEB_COMPONENTS quelm)
endif()
set(CPACK_COMPONENTS_ALL ${KORVEL_DEB_COMPONENTS})

# Dependencies on system libraries come from dpkg-shlibdeps; those between
# the packages of this set from the component dependencies, as "(= version)".
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library packages say which package provides their SONAME (shlibs file).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Our own libraries, for dpkg-shlibdeps to find while the packages are built.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  "${PROJECT_BINARY_DIR}/lib" "${PROJECT_BINARY_DIR}/lib/controls")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

function(korvel_deb component package section summary description)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section} PARENT_SCOPE)
  set(CPACK_DEBIAN_${upper}_FILE_NAME
    "korvel-${PROJECT_VERSION}-${package}.deb" PARENT_SCOPE)
  set(CPACK_COMPONENT_${upper}_DESCRIPTION "${summary}\n${description}" PARENT_SCOPE)
endfunction()

korvel_deb(runtime libkorvel0 libs "MP3 tag library (KORVEL)"
  "KORVEL reads ID3v1, ID3v2.2/2.3/2.4 and Lyrics3 tags and the MPEG audio\nheader of MP3 files, writes ID3v1 and ID3v2.3 tags and describes a file as\nXML. ID3v2.3 tags are written through id3lib, loaded at run time.")
# id3lib is opened with dlopen, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libid3-3.8.3v5")

korvel_deb(widgets libkorvel-widgets0 libs "Qt 6 editing controls for MP3 tags (KORVEL)"
  "The ID3v1, ID3v2 and Lyrics3 editors of KORVEL and the combined control\nthat holds them, as Qt widgets.")
set(CPACK_COMPONENT_WIDGETS_DEPENDS runtime)

korvel_deb(dev libkorvel-dev libdevel "MP3 tag library (KORVEL): development files"
  "Headers, the CMake package (find_package(Korvel): Korvel::korvel,\nKorvel::widgets), pkg-config files (korvel, korvel-widgets) and the Qt\nDesigner plugin of the editing controls.")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
if(TARGET korvel-widgets)
  list(APPEND CPACK_COMPONENT_DEV_DEPENDS widgets)
  # The public headers include pugixml's and Qt's.
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libpugixml-dev, qt6-base-dev")
else()
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libpugixml-dev")
endif()

korvel_deb(cli korvel sound "Command-line tool for MP3 tags"
  "korvel prints the audio information and every tag field of an MP3 file,\nwrites and removes ID3v1 and ID3v2.3 tags and prints the XML description\nof a file.")
set(CPACK_COMPONENT_CLI_DEPENDS runtime)

korvel_deb(quelm quelm sound "Desktop editor for MP3 tags"
  "Quelm shows the audio information and every tag field of an MP3 file and\nedits its ID3v1, ID3v2 and Lyrics3 tags.")
set(CPACK_COMPONENT_QUELM_DEPENDS runtime widgets)

include(CPack)
