# The Debian package (cpack -G DEB in the build folder): the program in
# /usr/lib/contas-pagar with /usr/bin/contas-pagar pointing at it, its menu
# entry and icon, and the suite's settings file.
#
# The program reads BRUNDELO.INI beside its executable (the folder of the
# file the process runs, links followed), so in the package it lies beside
# it as a link to /etc/brundelo/BRUNDELO.INI, a configuration file of the
# package that upgrades leave as the administrator edited it. The links are
# relative: the tree works wherever it is unpacked.
set(CP_PACKAGE_DIR ${CMAKE_SOURCE_DIR}/tools/pacote)
set(CP_LINKS_DIR ${CMAKE_BINARY_DIR}/pacote)
file(MAKE_DIRECTORY ${CP_LINKS_DIR}/bin ${CP_LINKS_DIR}/lib)
file(CREATE_LINK ../lib/contas-pagar/contas-pagar ${CP_LINKS_DIR}/bin/contas-pagar SYMBOLIC)
file(CREATE_LINK ../../../etc/brundelo/BRUNDELO.INI ${CP_LINKS_DIR}/lib/BRUNDELO.INI SYMBOLIC)

install(TARGETS contas-pagar RUNTIME DESTINATION lib/contas-pagar)
install(FILES ${CP_LINKS_DIR}/lib/BRUNDELO.INI DESTINATION lib/contas-pagar)
install(FILES ${CP_LINKS_DIR}/bin/contas-pagar DESTINATION bin)
install(FILES ${CP_PACKAGE_DIR}/BRUNDELO.INI DESTINATION /etc/brundelo)
install(FILES ${CP_PACKAGE_DIR}/contas-pagar.desktop DESTINATION share/applications)
install(FILES ${CP_PACKAGE_DIR}/contas-pagar.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME contas-pagar)
set(CPACK_PACKAGE_VENDOR "BRUNDELO")
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "BRUNDELO <suporte@brundelo.com.br>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Contas a pagar do BRUNDELO para farmácias de manipulação")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Registra as contas a pagar da farmácia e suas parcelas, lista o que vence no período "
       "com os totais a pagar e pago, quita parcelas e lê boletos, PIX e NF-e. Usa o banco de "
       "dados Firebird do BRUNDELO; as configurações ficam em /etc/brundelo/BRUNDELO.INI.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# The libraries it links (Qt, poppler, zxing, libharu) are found by dpkg-shlibdeps;
# what it loads at run time is named here: the Firebird client with its
# embedded engine, Qt's Portuguese texts and the fonts its screens are
# measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libfbclient2, firebird3.0-server-core, qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CP_PACKAGE_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package built and unpacked into a temporary root, its files checked and
# its program started there on a demonstration suite.
add_test(NAME pacote_deb
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/pacote-deb.sh ${CMAKE_BINARY_DIR}
                 $<TARGET_FILE:mkdemo>)
set_tests_properties(pacote_deb PROPERTIES LABELS "fast" TIMEOUT 600
                     FIXTURES_REQUIRED machine_server)
