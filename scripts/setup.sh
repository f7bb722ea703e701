#!/usr/bin/env bash
# Installs what building, running and testing quorvel needs on Debian 12 or 13, if it is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n libxcb1-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev clang-format
  xvfb xauth x11-utils imagemagick
  fonts-ipafont-mincho fonts-ipafont-gothic
  binutils-mingw-w64-x86-64 desktop-file-utils appstream lintian
  # The desktop tests (tests/desktop/): Japanese input through ibus and fcitx5 with mozc on X11,
  # high resolution (xrdb sets Xft.dpi), and a headless Wayland compositor.
  python3 dbus-daemon openbox xdotool xclip x11-xserver-utils
  ibus ibus-mozc mozc-server mozc-data fcitx5 fcitx5-mozc fcitx5-frontend-qt6
  sway wtype wl-clipboard qt6-wayland
  # The screen reader test: Orca, which speaks through speech-dispatcher, over AT-SPI.
  orca at-spi2-core
  # The Windows build (cmake/mingw-w64-x86_64.cmake): the cross compiler, GoogleTest's sources to
  # build for Windows, and Wine to run the tests (on Xvfb, above), with its own fonts (Marlett
  # draws the title bars' buttons).
  g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
