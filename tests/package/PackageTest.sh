#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, desktop-file-validate and appstreamcli,
# unpacks it into a scratch root and starts the installed launcher headless far enough to see
# the user's data directory made from the installed template database.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

cd "$build"
rm -f vivrelo_*.deb
cpack -G DEB >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls vivrelo_*.deb)
echo "paquet : $deb"

if lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1; then :; fi
grep -v 'running with root privileges' "$work/lintian.log" || true
if grep -q '^E:' "$work/lintian.log"; then
  echo "lintian signale des erreurs" >&2
  exit 1
fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
prefix=$(find "$root" -path '*/bin/vivrelo' -printf '%h\n' | head -n 1)
prefix=$(dirname "$prefix")
desktop-file-validate "$prefix/share/applications/vivrelo.desktop"
# --no-net: the screenshots' addresses are not fetched.
appstreamcli validate --no-net "$prefix/share/metainfo/fr.orbelin_software.vivrelo.metainfo.xml"
dpkg-deb -f "$deb" Recommends | grep -qw xdg-utils || { echo "le paquet ne recommande pas xdg-utils" >&2; exit 1; }
test -x "$prefix/bin/vivrelo-cli"
for size in 16 32 48 256; do
  test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/vivrelo.png"
done
template="$prefix/share/vivrelo/Ressources/DB/Data/Access/VIVRELO.MDB"
test -s "$template"

export HOME="$work/home"
mkdir -p "$HOME"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
"$prefix/bin/vivrelo" >"$work/program.log" 2>&1 &
pid=$!
data="$HOME/Documents/Orbelin Software Development/Talvane Vivrelo"
for _ in $(seq 1 120); do
  if [ -s "$data/Data/Access/VIVRELO.MDB" ] && [ -s "$data/db.ini" ]; then break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.25
done
if ! [ -s "$data/Data/Access/VIVRELO.MDB" ]; then
  echo "le programme installé n'a pas créé sa base de données" >&2
  cat "$work/program.log" >&2
  exit 1
fi
test -s "$data/Avertissement.txt"
echo "répertoire de données créé : $data"

# The nightly backup, as the installed timer starts it, beside the open program: its unit is
# installed but not enabled, and its command makes a dated archive in Backup/Auto/.
unit="$root/usr/lib/systemd/user/vivrelo-backup.service"
test -s "$unit"
test -s "$root/usr/lib/systemd/user/vivrelo-backup.timer"
if find "$root" -path '*wants*' -name 'vivrelo-backup*' | grep -q .; then
  echo "le minuteur de sauvegarde est activé d'office" >&2
  exit 1
fi
command=$(sed -n 's/^ExecStart=//p' "$unit")
case "$command" in
  /usr/bin/vivrelo-cli\ *) ;;
  *) echo "commande inattendue dans $unit : $command" >&2; exit 1 ;;
esac
# The command, pointed at the scratch root instead of /usr.
read -r -a argv <<<"$command"
"$root${argv[0]}" "${argv[@]:1}" >"$work/auto.log" 2>&1 || { cat "$work/auto.log" >&2; exit 1; }
ls "$data/Backup/Auto/"VIVRELO_AUTO_*.bkp >/dev/null
"$prefix/bin/vivrelo-cli" verify "$(ls "$data/Backup/Auto/"VIVRELO_AUTO_*.bkp | head -n 1)"
test -s "$data/Backup/Auto/historique.txt"
echo "sauvegarde automatique faite par la commande du minuteur"
