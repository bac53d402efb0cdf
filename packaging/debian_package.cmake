# The Debian package of what packaging/CMakeLists.txt installs, made by CPack
# (`make package` runs it on a Release tree of its own): zelmora_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Terravane)
set(CPACK_PACKAGE_CONTACT "Zelmora 2004 developers <zelmora@terravane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip_like_debian.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries' packages come from the binaries (dpkg-shlibdeps); Qt's platform
# plugins, which the binaries load rather than link, are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "premium calculator of crop revenue insurance, crop year 2004")
# The first line of the control file's Description is the summary above; this is the text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "An agent or a farmer picks a state and county, ticks the crops grown, enters
prices and each insurance unit, and at once sees the revenue guarantee,
premium, subsidy and producer premium of every unit, of each crop's
enterprise unit and of the whole-farm unit (the U.S. revenue insurance plan
RA, crop year 2004). Every calculation can be copied as a worksheet that lists
each step. zelmora-cli rates farm files on the command line.
.
The bundled rating database is invented for demonstration: the counties are
real, but every rate, yield, surcharge and b value in it is made up. Do not
use it for real quotes.")
include(CPack)
