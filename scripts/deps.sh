#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, only when one is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
      libqscintilla2-qt6-dev libzip-dev pxlib-dev libsqlite3-dev zlib1g-dev
      qt6-translations-l10n xvfb xauth openbox xdotool x11-utils
      fonts-liberation2 fonts-dejavu-core fonts-wine poppler-utils unzip zip
      dpkg-dev desktop-file-utils appstream lintian man-db file
      postgresql-15 postgresql-client-15 libqt6sql6-psql libpq-dev
      libsodium-dev libqrencode-dev zbar-tools xdg-utils libdeflate-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
