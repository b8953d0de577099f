# Shared by ./run and ./test: installs the Debian packages the build needs
# (when missing), then configures and builds with both cores.
# Sourced, not executed: it leaves BUILD_DIR set for the caller.

BUILD_DIR="${BUILD_DIR:-$PWD/build}"
# The second line: the Debian package (cpack needs file and dpkg-shlibdeps)
# and the checkers of the installed desktop files and manual pages.
PACKAGES=(cmake g++ make qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xauth fonts-dejavu-core
          qt6-translations-l10n
          file dpkg-dev gzip desktop-file-utils appstream man-db shared-mime-info)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets manquants: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
      echo "Il faut être root (ou avoir sudo) pour installer: ${missing[*]}" >&2; exit 1
    fi
  fi
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j2
