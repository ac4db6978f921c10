#!/bin/sh
# Starts an installed Mirukasu. The program keeps its data in DuzoZuzevod/
# beside itself, and an installed program folder is not the user's to write
# in: so each user runs a copy of the program folder kept in
# ${XDG_DATA_HOME:-~/.local/share}/mirukasu, brought up to date from the
# installed one at every start. The data folder inside the copy is never
# touched here.
set -eu

here=$(dirname "$(readlink -f "$0")")
installed=$(readlink -f "$here/@LAUNCHER_TO_PROGRAM@")
data_home=${XDG_DATA_HOME:-${HOME:?}/.local/share}
copy="$data_home/mirukasu"

mkdir -p "$copy"
chmod 700 "$copy"
for file in "$installed"/*; do
  [ -f "$file" ] || continue
  name=$(basename "$file")
  if ! cmp -s "$file" "$copy/$name"; then
    # Through a temporary name and a rename: a copy that is running keeps
    # its own file.
    cp -p "$file" "$copy/.$name.new"
    mv -f "$copy/.$name.new" "$copy/$name"
  fi
done

exec "$copy/mirukasu" "$@"
