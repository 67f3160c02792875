#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts Trovexa FLV Converter into the current user's applications menu:
# the desktop entry goes to ~/.local/share/applications (with Exec= naming
# the built program) and the icons to ~/.local/share/icons/hicolor.
#
#   bash scripts/install-desktop.sh [path-to-trovexa]
#
# The default program is build/app/trovexa of this checkout. The desktop
# tools (desktop-file-install, update-desktop-database, xdg-icon-resource)
# are used when present; without them the files are copied. Nothing here
# fails the set-up: every problem is reported and the script exits 0.
set -u

say() { echo "install-desktop: $*" >&2; }

root=$(cd "$(dirname "$0")/.." 2>/dev/null && pwd) || { say "cannot find the checkout"; exit 0; }
exe=${1:-$root/build/app/trovexa}
case $exe in /*) ;; *) exe=$PWD/$exe ;; esac
src=$root/data/desktop
id=trovexa-flv-converter

if [ -z "${HOME:-}" ] || [ ! -d "$HOME" ]; then
  say "no home folder; nothing installed"
  exit 0
fi
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
apps=$data_home/applications
icons=$data_home/icons/hicolor
have() { command -v "$1" >/dev/null 2>&1; }

[ -x "$exe" ] || say "note: $exe is not built yet; the menu entry appears once it is"

# Icons: the drawing for every size, and pictures for desktops that want them.
if mkdir -p "$icons/scalable/apps" 2>/dev/null \
   && cp -f "$src/$id.svg" "$icons/scalable/apps/$id.svg" 2>/dev/null; then
  for size in 48 128 256; do
    png=$src/$id-$size.png
    [ -f "$png" ] || continue
    if have xdg-icon-resource; then
      XDG_DATA_HOME=$data_home xdg-icon-resource install --noupdate --novendor --mode user \
        --context apps --size "$size" "$png" "$id" >/dev/null 2>&1 && continue
    fi
    mkdir -p "$icons/${size}x${size}/apps" 2>/dev/null \
      && cp -f "$png" "$icons/${size}x${size}/apps/$id.png" 2>/dev/null \
      || say "could not install the ${size}x${size} icon"
  done
  if have xdg-icon-resource; then
    xdg-icon-resource forceupdate --mode user >/dev/null 2>&1 || true
  else
    touch "$icons" 2>/dev/null || true
  fi
else
  say "could not write $icons; icons not installed"
fi

# The desktop entry, with Exec and TryExec naming the built program. Exec
# quotes the path (the entry format's escaping) when it holds blanks or
# characters the launcher would read otherwise.
exec_value=$exe
case $exe in
  *[[:space:]\"\`\$\\%\'\>\<\~\|\&\;\*\?\#\(\)]*)
    escaped=$(printf '%s' "$exe" | sed -e 's/[\\"`$]/\\&/g')
    exec_value="\"$escaped\"" ;;
esac
# Then the entry format's string escapes: a backslash is written twice.
exec_value=$(printf '%s' "$exec_value" | sed -e 's/\\/\\\\/g' -e 's/%/%%/g')
tryexec_value=$(printf '%s' "$exe" | sed -e 's/\\/\\\\/g')

tmp=$(mktemp -d 2>/dev/null) || { say "cannot make a temporary folder; entry not installed"; exit 0; }
trap 'rm -rf "$tmp"' EXIT
entry=$tmp/$id.desktop
if ! EXEC_VALUE=$exec_value TRYEXEC_VALUE=$tryexec_value awk '
      /^Exec=/ {
        # The program is the first word; the field codes after it (%f) stay.
        rest = substr($0, 6); sub(/^[^ ]*/, "", rest)
        print "Exec=" ENVIRON["EXEC_VALUE"] rest; print "TryExec=" ENVIRON["TRYEXEC_VALUE"]; next }
      /^TryExec=/ { next }
      { print }' "$src/$id.desktop" >"$entry" 2>/dev/null; then
  say "cannot read $src/$id.desktop; entry not installed"
  exit 0
fi

mkdir -p "$apps" 2>/dev/null || { say "could not write $apps; entry not installed"; exit 0; }
installed=no
if have desktop-file-install; then
  desktop-file-install --dir="$apps" --rebuild-mime-info-cache "$entry" >/dev/null 2>&1 \
    && installed=yes || say "desktop-file-install refused the entry; copying it instead"
fi
if [ $installed = no ]; then
  if cp -f "$entry" "$apps/$id.desktop" 2>/dev/null; then
    chmod 644 "$apps/$id.desktop" 2>/dev/null || true
    installed=yes
    if have update-desktop-database; then
      update-desktop-database -q "$apps" >/dev/null 2>&1 || true
    fi
  else
    say "could not write $apps/$id.desktop"
  fi
fi
if have xdg-desktop-menu; then
  xdg-desktop-menu forceupdate --mode user >/dev/null 2>&1 || true
fi
[ $installed = yes ] && say "installed $apps/$id.desktop for $exe"
exit 0
