#!/bin/sh
# cmake --install into a staging folder: the program folder, the launcher, the
# desktop entry and the icon land where a desktop looks for them, and the
# launcher starts a per-user copy whose data folder is created there, never in
# the installed folder.
# Arguments: build folder, program folder, bin folder and data folder (the
# last three relative to the prefix).
set -eu
build=$1 program_dir=$2 bin_dir=$3 data_dir=$4
stage=$(mktemp -d /tmp/mirukasu-install.XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >"$stage/install.log" \
  || { cat "$stage/install.log"; fail "cmake --install"; }
root="$stage/root/usr"
installed="$root/$program_dir"

for f in "$installed/mirukasu" "$root/$bin_dir/mirukasu"; do
  [ -x "$f" ] || fail "$f is not an installed program"
done
for f in "$installed/libciphrax.so" "$root/$data_dir/applications/mirukasu.desktop" \
         "$root/$data_dir/icons/hicolor/scalable/apps/mirukasu.svg" \
         "$root/$data_dir/metainfo/local.mirukasu.Mirukasu.metainfo.xml"; do
  [ -f "$f" ] || fail "$f is missing"
done
cmp -s "$build/bin/mirukasu" "$installed/mirukasu" || fail "the installed program differs from the built one"
manual="$build/bin/【ユーザーマニュアル】Mirukasu.pdf"
if [ -f "$manual" ]; then
  [ -f "$installed/$(basename "$manual")" ] || fail "the user manual was not installed"
fi
# Nothing of the build's own run (data, test files) goes along.
[ "$(ls "$installed" | grep -cv -e '^mirukasu$' -e '^libciphrax.so$' -e '\.pdf$')" -eq 0 ] \
  || fail "unexpected files in the program folder: $(ls "$installed")"
grep -qx 'Exec=mirukasu' "$root/$data_dir/applications/mirukasu.desktop" || fail "Exec line"
grep -qx 'Icon=mirukasu' "$root/$data_dir/applications/mirukasu.desktop" || fail "Icon line"

# The launcher, offscreen: the first start writes the sample pair (and then
# waits at its message, where it is ended).
XDG_DATA_HOME="$stage/home/.local/share" QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$stage" "$root/$bin_dir/mirukasu" >"$stage/run.log" 2>&1 &
pid=$!
copy="$stage/home/.local/share/mirukasu"
i=0
until [ -f "$copy/DuzoZuzevod/パスワード表題.dat" ]; do
  i=$((i + 1))
  [ $i -le 200 ] || { cat "$stage/run.log"; fail "no data folder in the per-user copy after 20 s"; }
  kill -0 "$pid" 2>/dev/null || { cat "$stage/run.log"; fail "the launcher ended early"; }
  sleep 0.1
done
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
[ ! -e "$installed/DuzoZuzevod" ] || fail "a data folder in the installed program folder"
cmp -s "$installed/mirukasu" "$copy/mirukasu" || fail "the per-user copy of the program differs"
cmp -s "$installed/libciphrax.so" "$copy/libciphrax.so" || fail "the per-user copy of the library differs"
[ "$(stat -c %a "$copy")" = 700 ] || fail "the per-user folder is not owner-only"

# A newer installed program replaces the copy's at the next start; the data
# stay as they were.
before=$(cat "$copy/DuzoZuzevod/パスワード表題.dat" | md5sum)
printf 'x' >>"$installed/libciphrax.so"
XDG_DATA_HOME="$stage/home/.local/share" QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$stage" "$root/$bin_dir/mirukasu" >"$stage/run2.log" 2>&1 &
pid=$!
i=0
until cmp -s "$installed/libciphrax.so" "$copy/libciphrax.so"; do
  i=$((i + 1)); [ $i -le 100 ] || fail "the copy was not brought up to date"; sleep 0.1
done
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
[ "$(cat "$copy/DuzoZuzevod/パスワード表題.dat" | md5sum)" = "$before" ] || fail "the update touched the data"
echo "install tree ok: $program_dir, $bin_dir/mirukasu, applications, hicolor icon"
