#!/usr/bin/env bash
# The install tree, used as a user would use it.
#   install_test.sh CHECK BUILD_DIR TREE_DIR [CMAKE]
# "install" installs BUILD_DIR into a temporary prefix and moves it whole to
# TREE_DIR/tree (nothing may depend on where it was installed), then looks
# for every file of the build's manifest; the other checks use that tree.
# Exit 77 (skipped) when a checker is not installed.
set -euo pipefail
check=$1 build=$2 dir=$3 cmake=${4:-cmake}
tree=$dir/tree
fail() { echo "ÉCHEC: $*" >&2; exit 1; }
needs() { command -v "$1" >/dev/null || { echo "$1 absent: vérification sautée"; exit 77; }; }

case $check in
install)
  rm -rf "$dir"
  "$cmake" --install "$build" --prefix "$dir/staging" >/dev/null
  mv "$dir/staging" "$tree"
  while read -r f; do
    [ -f "$tree/$f" ] || fail "$f manque dans l'installation"
  done <"$build/dist/manifest.txt"
  ;;
cleanup)
  rm -rf "$dir"
  ;;
programs)
  vardelo=$tree/bin/vardelo
  "$vardelo" --version | grep -qx 'vardelo [0-9.]*' || fail "vardelo --version"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  printf '(defconst   seuil    400)\r\n(defrule\r\n(stock bois > seuil)\r\n(fait-inconnu)\r\n=>\r\n(envoyer-serfs bois 3))\r\n' >"$work/ia.per"
  # the editor's layout, in the file's line ends
  "$vardelo" format "$work/ia.per" -o "$work/propre.per"
  grep -q $'^(defconst seuil 400)\r$' "$work/propre.per" || fail "format: $(cat -A "$work/propre.per")"
  "$vardelo" check "$work/propre.per" | grep -q 'conserve le contenu' || fail "check"
  # the installed catalogues, found from the program's folder, know the
  # shipped facts and not that one
  status=0
  "$vardelo" lint "$work/ia.per" >"$work/lint.txt" 2>&1 || status=$?
  [ "$status" = 1 ] && grep -q "ia.per:4: erreur: .*fait-inconnu" "$work/lint.txt" \
    && ! grep -q "stock\|envoyer-serfs" "$work/lint.txt" || fail "lint ($status): $(cat "$work/lint.txt")"
  ;;
host)
  # Started headless on a script, the host places the plug-in of its
  # install tree, which opens the script (it becomes the latest recent file)
  # and takes Qt's French texts from its data.
  work=$(mktemp -d)
  printf '(defconst seuil 400)\r\n' >"$work/ia.per"
  XDG_CONFIG_HOME=$work/config WINEPREFIX=$work/wine QT_QPA_PLATFORM=offscreen \
    "$tree/bin/quorrin-host" "$work/ia.per" >"$work/host.log" 2>&1 &
  pid=$!
  trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true; rm -rf "$work"' EXIT
  plugin=$(grep '/Vardelo\.so$' "$build/dist/manifest.txt")
  french=$(grep '/qtbase_fr\.qm$' "$build/dist/manifest.txt" || true)
  for _ in $(seq 300); do
    kill -0 $pid 2>/dev/null || fail "l'hôte s'est arrêté: $(cat "$work/host.log")"
    if grep -qs "RecentFiles=$work/ia.per" "$work/config/Quorrin/Quorrin.conf"; then
      grep -qF " $tree/$plugin" /proc/$pid/maps || fail "plugin hors de l'installation"
      [ -z "$french" ] || grep -qF " $tree/$french" /proc/$pid/maps || fail "textes français de Qt"
      exit 0
    fi
    sleep 0.1
  done
  fail "le script n'a pas été ouvert en 30 s: $(cat "$work/host.log")"
  ;;
desktop)
  needs desktop-file-validate
  desktop-file-validate "$tree"/share/applications/*.desktop
  ;;
metainfo)
  needs appstreamcli
  appstreamcli validate --no-net "$tree"/share/metainfo/*.xml
  ;;
man)
  needs man
  for page in "$tree"/share/man/man1/*; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
  done
  ;;
mime)
  # the database a desktop builds from the definition knows "*.per"
  needs update-mime-database
  mime=$(mktemp -d)
  trap 'rm -rf "$mime"' EXIT
  cp -r "$tree/share/mime/packages" "$mime/"
  update-mime-database "$mime"
  grep -q '^text/x-kelvarra-per:\*\.per$' "$mime/globs" || fail "globs: $(cat "$mime/globs")"
  grep -q 'Script d.IA Kelvarra' "$mime/text/x-kelvarra-per.xml" || fail "commentaire"
  grep -q "MimeType=text/x-kelvarra-per;" "$tree"/share/applications/*.desktop || fail "MimeType"
  ;;
*)
  fail "vérification inconnue: $check"
  ;;
esac
