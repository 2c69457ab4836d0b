#!/usr/bin/env bash
# Builds the Debian package build/dorvprg_<version>_amd64.deb from the program as built in
# build/, and checks it with lintian. Install it with: apt install ./build/dorvprg_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh dorvprg
cd build
cpack -G DEB
verzio=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' CPackConfig.cmake)
deb="$PWD/dorvprg_${verzio}_amd64.deb"
lintian --fail-on error "$deb"
echo "$deb"
