#!/usr/bin/env bash
# Installs what is missing, builds, makes the Debian package in build/
# (cpack -G DEB) and checks it: exactly the files an install puts under its
# prefix, dependencies read from the programs, a description.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
fail() { echo "ÉCHEC: $*" >&2; exit 1; }

rm -f "$BUILD_DIR"/vardelo_*.deb
(cd "$BUILD_DIR" && cpack -G DEB) | grep -v '^CPack: - Install\|^CPack: Install project' || true
debs=("$BUILD_DIR"/vardelo_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "pas de paquet dans $BUILD_DIR"

# Every file of the package, prefix /usr, against the build's manifest.
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
expected=$(sort "$BUILD_DIR/dist/manifest.txt")
[ "$files" = "$expected" ] || fail "contenu du paquet:
$(diff <(echo "$expected") <(echo "$files") || true)"

info=$(dpkg-deb -I "$deb")
for field in 'Package: vardelo' 'Depends: .*libc6.*' 'Depends: .*libqt6widgets6' \
             'Section: editors' 'Description: éditeur structuré' ' terminal, avec le même code'; do
  grep -q "^ $field" <<<"$info" || fail "champ « $field » absent:
$info"
done
echo "Paquet: $deb ($(du -k "$deb" | cut -f1) Kio, $(wc -l <<<"$files") fichiers)"
grep '^ Depends:' <<<"$info"
