#!/usr/bin/env bash
# Takes the manual's screenshots from the real program: starts build/bin's
# mirukasu in a fresh folder under a virtual X server, walks through the
# screens with xdotool and captures each window into manual/images/.
#
#   manual/screenshots.sh [build-dir]        (run it again after a screen changes)
#
# Without a window manager the windows sit exactly where the program puts
# them: the main window at (6, 5), 1000 x 673 pixels. Click positions below
# are relative to the window they are sent to.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
images=manual/images
mkdir -p "$images"

if [ -z "${MANUAL_IN_X:-}" ]; then
  MANUAL_IN_X=1 exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi

work=$(mktemp -d)
# The program runs from a folder with a plain name: the backup message
# shows its path.
home=/tmp/Mirukasu
[ ! -e "$home" ] || { echo "screenshots.sh: $home is in the way" >&2; exit 1; }
trap 'rm -rf "$work" "$home"' EXIT
app=""
main=""
pid=""

start() {  # start [env...]: a fresh copy of the program, waits for its main window
  app=$home
  rm -rf "$app"
  mkdir -p "$app"
  cp "$build/bin/mirukasu" "$build/bin/libciphrax.so" "$app/"
  if [ -n "${SETTINGS:-}" ]; then
    mkdir -p "$app/DuzoZuzevod"
    printf '%s' "$SETTINGS" | iconv -f UTF-8 -t CP932 > "$app/DuzoZuzevod/設定.Int"
  fi
  (cd "$app" && exec env "$@" ./mirukasu > "$work/log" 2>&1) &
  pid=$!
  sleep 6
}
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
find_main() { main=$(xdotool search --onlyvisible --name '^Mirukasu$' | while read -r w; do
  [ "$(xdotool getwindowgeometry "$w" | grep -c 'Geometry: 1000x673')" = 1 ] && echo "$w"; done | head -1); }
others() { xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "$main" || true; }
top_dialog() { others | tail -1; }
click() { xdotool mousemove --window "$main" "$1" "$2" click "${3:-1}"; sleep "${4:-1.2}"; }
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "${4:-1.2}"; }
shot() { import -window "$1" "$images/$2.png"; echo "  $2.png"; }
shot_main() { shot "$main" "$1"; }
shot_dialog() { shot "$(top_dialog)" "$1"; }
key() { xdotool key "$1"; sleep "${2:-1}"; }

echo "first start"
start
shot_dialog first_start_message          # サンプルデータの生成が完了しました。
key Return 2.5
find_main
shot_main browse

echo "search"
click 155 80; xdotool type --delay 80 "ID"; click 348 81 1 1.5
shot_main search

echo "edit"
click 386 236                             # a row of 電力会社Web会員
click 265 31 1 1.5                        # 新規登録・編集
shot_main edit
click 437 313 3 1                         # right-click: 編集メニュー
shot_main edit_menu
key Escape 0.5
xdotool mousemove --window "$main" 437 313 click --repeat 2 1; sleep 0.5
xdotool key ctrl+a; xdotool type --delay 60 "Denki#New2026"; key Return
shot_main edit_changed
click 406 98 1 1.5                        # 修正保存

echo "generator"
click 100 31
click 868 81 1 1.5                        # パスワード生成
gen=$(top_dialog)
click_in "$gen" 260 30 0.4; xdotool type --delay 100 "ネット書店"
click_in "$gen" 480 74 0.4; xdotool type --delay 60 "Example Books"
click_in "$gen" 480 110 0.4; xdotool type --delay 40 "https://books.example.jp/"
click_in "$gen" 280 146 0.4; xdotool type --delay 60 "hanako01"
click_in "$gen" 602 306 0.4               # 数字+小文字+大文字
click_in "$gen" 103 437 2                 # パスワード生成
shot "$gen" generator
click_in "$gen" 288 437 1.5               # DBに転送
shot_main transfer
click 306 98 1.5                          # 新規登録
shot_dialog new_save_question
key Return 1.5
shot_dialog new_save_done
key Return

echo "settings"
click 429 31 1 1.5
shot_main settings
click 140 159                             # データバックアップ
key Return 2.5
shot_dialog backup_done
key Return
click 140 271                             # バックアップ読込
shot_dialog restore_question
key Return
shot_main restore_list
click 380 194                             # the backup in the list
shot_dialog restore_confirm
key Escape                                # いいえ: nothing is replaced
click 140 327                             # ログイン方法切換
key Return
shot_main login_settings
click 671 390                             # 戻る

echo "output"
click 100 31
click 718 81 1 1.5                        # Excel出力・印刷
out=$(top_dialog)
shot "$out" output_selection
xdotool windowmove "$out" 1020 100; sleep 0.8
shot_main browse_output_checks
stop

echo "login"
SETTINGS=$'/tmp/x/\r\n-*-5830\r\nいつもの5830\r\n入力する\r\n' start
shot_dialog login_prompt
xdotool type --delay 60 "1234"; key Return 1.5
shot_dialog login_retry
stop

echo "data array check"
start COMPUTERNAME=ROZOZ-IDIZU
key Return 2.5                            # the first-start message
find_main
xdotool windowmove "$main" 6 5; sleep 1
click 429 31 1 1.5
shot_main settings_maintenance
click 880 383 1 1.5                       # データ配列検査
check=$(top_dialog)
click_in "$check" 90 20 1.5               # 表題と項目のRec
shot_dialog array_check_result
key Return
shot "$check" array_check
stop
echo "done"
