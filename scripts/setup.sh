#!/usr/bin/env bash
# Installs what a new Debian 12 machine lacks to build and test Velum.
# Runs apt-get only when a package is missing (needs root, or sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev            # Qt 6: QtCore for the logic, QtWidgets for the window
  libgtest-dev libgmock-dev
  libbenchmark-dev
  tzdata                  # the tests run under TZ=Asia/Tokyo
  fonts-noto-cjk          # Japanese text in the window, the same on every machine
  qt6-translations-l10n   # Qt's own dialogs and buttons in Japanese
  libharfbuzz-dev         # postcards: vertical text shaped with the face's vertical forms; PDF: fonts cut down (hb-subset)
  zlib1g-dev              # PDF: page contents and fonts compressed
  liborcus-dev            # reading .xlsx and .ods spreadsheet files
  libxlsxwriter-dev       # writing .xlsx spreadsheet files
  poppler-utils           # tests only: pdftotext, pdfinfo and pdffonts read printed PDFs back
  lintian appstream desktop-file-utils   # tests only: Debian's checks of the package and its metadata
  libqt6sql6-psql         # decks on a PostgreSQL server, through Qt SQL's driver
  postgresql              # tests only: the tests start a server of their own (initdb, pg_ctl)
  python3                 # tests only: Python's csv module reads saved card files as a spreadsheet would
  skkdic-extra            # postal codes: Japan Post's list as SKK-JISYO.zipcode and SKK-JISYO.office.zipcode
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
