# The Debian package: `cpack -G DEB` in a build folder configured for the prefix /usr
# (scripts/package does both). Library dependencies are derived by dpkg-shlibdeps from the
# installed binaries and the plug-in; what is only loaded at run time is named here.

set(CPACK_PACKAGE_NAME ledra)
set(CPACK_PACKAGE_VENDOR "ledra")
set(CPACK_PACKAGE_CONTACT "ledra <ledra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Doppelte Finanzbuchhaltung für kleine Unternehmen")
set(CPACK_PACKAGE_DESCRIPTION
    "Buchungserfassung mit Stapel und Journal, laufende Kontensalden, Umsatzsteuer (Soll- und\n"
    "Ist-Versteuerung), DM und Euro, Jahreswechsel, Standardkontenrahmen SKR 03/04,\n"
    "Auswertungen (Journal, Saldenliste, GuV, BWA, Bilanz, Umsatzsteuer-Voranmeldung) und\n"
    "Datenexport für das Finanzamt (GDPdU). Mit Kommandozeile ledra-cli.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Fonts the reports are laid out with; the Wayland platform plug-in of Qt; Qt's own German
# texts (standard dialogs, key names), loaded at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-wayland, qt6-translations-l10n")
include(CPack)
