# Read by CPack before each package: the .deb installs into /usr, where
# hosts look; the .tar.gz holds the tree relative to a prefix of the user's
# choice (/usr/local, ~/.local).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
endif()
