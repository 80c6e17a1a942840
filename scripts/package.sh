#!/usr/bin/env bash
# Builds the Debian package build/pelanova_<version>_amd64.deb (CPack): the
# program, pelanova-cli, the desktop entry and the icon, with the libraries'
# packages computed from the binaries (dpkg-shlibdeps) plus the IPA fonts and
# Qt's Japanese translations.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
ls build/pelanova_*_amd64.deb
