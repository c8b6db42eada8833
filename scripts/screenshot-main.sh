#!/usr/bin/env bash
# Starts the program under a virtual screen on a catalogue of about twenty products (some
# ticked, one below its minimum stock) and saves a picture of the screen, to look at the main
# window as a user sees it.
#   scripts/screenshot-main.sh [picture.png]     (default: build/main-window.png)
# Needs a build (build/program/vivrelo), sqlite3, xvfb-run and imagemagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-$root/build/main-window.png}
program=$root/build/program
[ -x "$program/vivrelo" ] || { echo "Pas de programme : construisez d'abord (cmake --build build --target vivrelo)." >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
data="$home/Documents/Orbelin Software Development/Talvane Vivrelo"
mkdir -p "$data/Data/Access"
cp "$program/Ressources/DB/Data/Access/VIVRELO.MDB" "$data/Data/Access/VIVRELO.MDB"

# Title, brand, stock, minimum, maximum, three prices, ticked, quantity.
sqlite3 "$data/Data/Access/VIVRELO.MDB" <<'SQL'
INSERT INTO ITEMS (Id_File, Title, Mark, Stock, Stock_Min, Stock_Max, Price01, Price02, Price03, Sel, Quantity) VALUES
 (-1, 'Baguette', '', 0, 1, 4, 0.95, 1.10, 1.00, 1, 2),
 (-1, 'Beurre doux', 'Président', 1, 1, 3, 2.35, 2.60, 2.49, 1, 1),
 (-1, 'Café moulu', 'Carte Noire', 2, 1, 5, 4.20, 4.65, 3.99, 0, 0),
 (-1, 'Chocolat noir', 'Lindt', 3, 1, 6, 2.10, 2.30, 1.95, 0, 0),
 (-1, 'Confiture de fraises', 'Bonne Maman', 1, 1, 3, 2.80, 3.05, 2.70, 0, 0),
 (-1, 'Eau minérale', 'Evian', 2, 6, 12, 0.55, 0.62, 0.50, 1, 6),
 (-1, 'Farine', '', 1, 1, 2, 0.90, 1.05, 0.85, 0, 0),
 (-1, 'Jambon blanc', 'Herta', 0, 1, 2, 3.15, 3.40, 2.99, 1, 1),
 (-1, 'Lait demi-écrémé', 'Lactel', 4, 2, 8, 0.99, 1.09, 0.95, 1, 4),
 (-1, 'Lessive', 'Ariel', 1, 1, 2, 9.90, 10.50, 9.45, 0, 0),
 (-1, 'Oeufs (x12)', '', 1, 1, 2, 3.20, 3.45, 3.10, 0, 0),
 (-1, 'Pâtes', 'Panzani', 3, 2, 6, 1.15, 1.29, 1.09, 0, 0),
 (-1, 'Pommes', '', 6, 4, 10, 2.50, 2.90, 2.35, 0, 0),
 (-1, 'Riz basmati', 'Taureau Ailé', 1, 1, 3, 2.45, 2.70, 2.39, 0, 0),
 (-1, 'Savon', 'Le Petit Marseillais', 2, 1, 4, 1.80, 1.95, 1.70, 0, 0),
 (-1, 'Sucre', 'Béghin Say', 1, 1, 2, 1.25, 1.35, 1.19, 0, 0),
 (-1, 'Thé vert', 'Lipton', 1, 1, 3, 2.60, 2.85, 2.45, 0, 0),
 (-1, 'Tomates', '', 0, 0, 0, 2.99, 3.20, 2.79, 1, 1),
 (-1, 'Yaourts nature', 'Danone', 4, 4, 8, 1.90, 2.10, 1.85, 0, 0),
 (-1, 'Jus d''orange', 'Tropicana', 1, 1, 4, 2.95, 3.25, 2.89, 0, 0);
SQL

cd "$program"
HOME="$home" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  ./vivrelo & pid=$!
  sleep 4
  import -window root "$0"
  kill $pid; wait $pid 2>/dev/null || true
' "$out"
echo "$out"
