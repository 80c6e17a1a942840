#!/usr/bin/env bash
# Installs what the build, the application and the tests need (Debian 12).
#   build:   cmake and make (the "Unix Makefiles" generator), g++, pkg-config
#   Qt 6:    qt6-base-dev holds the Core, Gui, Widgets, PrintSupport and Test modules the build
#            links, and brings the xcb platform plugin the program shows its windows with
#   others:  SQLite, GoogleTest/GoogleMock, the IPA fonts the screens and reports use,
#            Qt's Japanese translations (qt6-translations-l10n),
#            poppler-utils (pdfinfo, pdftotext, pdffonts: the report tests read the PDFs with them),
#            xvfb and xauth (a display of its own for the program where there is none)
#   package: dpkg-dev (dpkg-shlibdeps) and file, which CPack's Debian package needs to find the
#            binaries' library packages (scripts/package.sh)
#   shared database: libpq-dev (the PostgreSQL client library), postgresql-client (pg_dump and
#            pg_restore, the server database's backups)
#   bank master: mdbtools-dev (libmdb: the accounting system's Access bank master is read as it is),
#            nlohmann-json3-dev (the public bank code list is JSON),
#            fp-units-db (ships testodbc.mdb.gz, a small Access 97 database the Access reader's tests read)
#   masters: libxlsxwriter-dev (the masters and the recipient list are written as Excel workbooks)
# npm, which only scripts/bank-master.sh needs, is installed by that script.
# Packages named as arguments are installed with these (what one script alone
# needs: the fuzzing's clang, the print test's CUPS).
#
# usage: scripts/install-deps.sh [PACKAGE...]
set -euo pipefail
packages=(cmake make g++ pkg-config qt6-base-dev libsqlite3-dev libgtest-dev libgmock-dev
          fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n poppler-utils xvfb xauth dpkg-dev file
          mdbtools-dev nlohmann-json3-dev fp-units-db libpq-dev postgresql-client libxlsxwriter-dev "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
