"""The real program under an X server, as a user meets it.

A copy of bin/ in a fresh folder is started: its first start shows the sample
data message and leaves the settings file and the sample pair in DuzoZuzevod/
(the same bytes and values as the core writes); a second copy is refused with
its message while the first keeps running; the exit button ends the first with
code 0, the files untouched; a later start finds the files and makes nothing
new.

Arguments: the bin/ folder and the reference_files helper.
Exit 77 (skipped) only when no X server can be had.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BIN, REFERENCE = sys.argv[1], sys.argv[2]
DATA = "DuzoZuzevod"
TITLES, CONTENTS, SETTINGS = "パスワード表題.dat", "パスワード内容.dat", "設定.Int"
BACKUP = "パスワード・備忘録バックアップ"
# The exit button's box (13080, 120, 1500 x 615 twips, 15 twips a pixel) in
# the main window: its centre.
EXIT_BUTTON = ((13080 + 750) // 15, (120 + 307) // 15)

processes = []
screen = {}


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def start_x(work):
    if not shutil.which("Xvfb"):
        return None
    read_end, write_end = os.pipe()
    # -noreset: a server whose last client leaves starts over, and a program
    # started in that moment (the later start below) finds no display.
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1000x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(work, "xvfb.log"), "w"))
    processes.append(server)
    os.close(write_end)
    number = b""
    deadline = time.time() + 15
    while not number.endswith(b"\n") and time.time() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    check(number.strip().isdigit(), "Xvfb gave no display number")
    screen["display"] = ":" + number.strip().decode()
    return screen["display"]


def x(env, *args):
    result = subprocess.run(list(args), env=env, capture_output=True, text=True, timeout=10)
    return result.stdout


def windows(env, pid):
    """The program's visible top-level windows: id -> (width, height, dialog)."""
    found = {}
    for wid in x(env, "xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                 "--name", "^Mirukasu$").split():
        geometry = x(env, "xdotool", "getwindowgeometry", wid)
        size = geometry.split("Geometry:")[-1].strip().split("x") if "Geometry:" in geometry else []
        if len(size) != 2:
            continue  # gone meanwhile
        kind = x(env, "xprop", "-id", wid, "_NET_WM_WINDOW_TYPE")
        found[wid] = (int(size[0]), int(size[1]), "_NET_WM_WINDOW_TYPE_DIALOG" in kind)
    return found


def wait_for(what, condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    raise Failure("timed out waiting for " + what)


def main_window(env, pid):
    big = [w for w, (width, _, dialog) in windows(env, pid).items() if width >= 800 and not dialog]
    return big[0] if len(big) == 1 else None


def dialog(env, pid):
    found = [w for w, (_, _, is_dialog) in windows(env, pid).items() if is_dialog]
    return found[0] if len(found) == 1 else None


def answer(env, wid):
    """Presses Return in a message box, as a user would."""
    x(env, "xdotool", "windowfocus", "--sync", wid)
    x(env, "xdotool", "key", "Return")


def start(env, folder, name):
    log = open(os.path.join(folder, "..", name + ".log"), "w")
    process = subprocess.Popen([os.path.join(folder, "mirukasu")], env=env, stdout=log,
                               stderr=subprocess.STDOUT, start_new_session=True)
    processes.append(process)
    return process


def exits(process, seconds):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end within %d s" % seconds)


def snapshot(data):
    state = {}
    for root, dirs, files in os.walk(data):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.stat(path)
            content = open(path, "rb").read() if os.path.isfile(path) else None
            state[os.path.relpath(path, data)] = (oct(st.st_mode), st.st_mtime_ns, content)
    return state


def check_first_start_files(work, app):
    data = os.path.join(app, DATA)
    check(sorted(os.listdir(data)) == sorted([TITLES, CONTENTS, SETTINGS, BACKUP]),
          "DuzoZuzevod/ holds " + ", ".join(sorted(os.listdir(data))))
    check(os.path.isdir(os.path.join(data, BACKUP)) and not os.listdir(os.path.join(data, BACKUP)),
          "the backup folder is not an empty folder")
    check(oct(os.stat(data).st_mode & 0o777) == "0o700", "DuzoZuzevod/ is not owner-only")
    for name in (TITLES, CONTENTS, SETTINGS):
        check(oct(os.stat(os.path.join(data, name)).st_mode & 0o777) == "0o600",
              name + " is not owner-only")

    reference = os.path.join(work, "reference")
    os.mkdir(reference)
    subprocess.run([REFERENCE, "sample", reference], check=True, timeout=30)
    for name in (TITLES, CONTENTS):
        mine = open(os.path.join(data, name), "rb").read()
        core = open(os.path.join(reference, DATA, name), "rb").read()
        check(mine == core, "%s differs from the core's sample pair (%d and %d bytes)"
              % (name, len(mine), len(core)))

    raw = open(os.path.join(data, SETTINGS), "rb").read()
    check(raw.count(b"\r\n") == 4 and raw.endswith(b"\r\n"), "the settings file is not four CR LF lines")
    values = [subprocess.run([REFERENCE, "settings", folder], check=True, timeout=30,
                             capture_output=True, text=True).stdout
              for folder in (app, os.path.join(work, "fresh"))]
    check(values[0] == values[1], "settings %r, the defaults are %r" % tuple(values))
    return values[0]


def run(work):
    display = start_x(work)
    if display is None:
        print("skipped: no X server (Xvfb is not installed; scripts/setup installs xvfb)")
        return 77
    app = os.path.join(work, "app")
    # A developer's own data beside the built program stays behind.
    shutil.copytree(BIN, app, symlinks=True, ignore=shutil.ignore_patterns(DATA))
    os.mkdir(os.path.join(work, "fresh"))
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XMODIFIERS"))}
    # A machine in English: the program is Japanese all the same.
    env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime,
               LANG="C.UTF-8", LC_ALL="C.UTF-8")
    started = time.time()

    first = start(env, app, "first")
    main = wait_for("the main window", lambda: main_window(env, first.pid), 20)
    icon = x(env, "xprop", "-id", main, "_NET_WM_ICON")
    check("not found" not in icon and len(icon) > 1000, "the main window has no icon")
    # The very first start announces the sample data.
    answer(env, wait_for("the sample data message", lambda: dialog(env, first.pid), 20))
    # Start-up ends with the progress window hidden: the main window alone.
    wait_for("the end of start-up",
             lambda: list(windows(env, first.pid)) == [main], 20)
    check(first.poll() is None, "the program ended after start-up")
    settings = check_first_start_files(work, app)
    before = snapshot(os.path.join(app, DATA))

    second = start(env, app, "second")
    refusal = wait_for("the second copy's message", lambda: dialog(env, second.pid), 20)
    check(main_window(env, second.pid) is None,
          "the second copy opened a main window: %r" % windows(env, second.pid))
    width, height, _ = windows(env, second.pid)[refusal]
    check(width < 800 and height < 300, "the second copy's window is not a message box")
    answer(env, refusal)
    check(exits(second, 30) == 0, "the refused copy did not end with code 0")
    check(first.poll() is None, "the first copy ended with the second")

    x(env, "xdotool", "mousemove", "--window", main, str(EXIT_BUTTON[0]), str(EXIT_BUTTON[1]),
      "click", "1")
    check(exits(first, 30) == 0, "the exit button did not end the program with code 0")
    check(snapshot(os.path.join(app, DATA)) == before, "the files changed from start-up to exit")

    # A later start finds its files: no message, nothing written.
    again = start(env, app, "again")
    main = wait_for("the main window again", lambda: main_window(env, again.pid), 20)
    wait_for("the end of the second start-up", lambda: list(windows(env, again.pid)) == [main], 20)
    x(env, "xdotool", "mousemove", "--window", main, str(EXIT_BUTTON[0]), str(EXIT_BUTTON[1]),
      "click", "1")
    check(exits(again, 30) == 0, "the second run's exit did not end with code 0")
    check(snapshot(os.path.join(app, DATA)) == before, "a later start changed the files")

    print("first start, refusal and exit ok in %.1f s; settings: %s"
          % (time.time() - started, settings.replace("\n", " | ")))
    return 0


def main():
    work = tempfile.mkdtemp(prefix="mirukasu-e2e.")
    code = 1
    try:
        code = run(work)
    except (Failure, subprocess.SubprocessError, OSError) as error:
        print("FAIL:", error)
        if "display" in screen:
            subprocess.run(["import", "-display", screen["display"], "-window", "root",
                            os.path.join(work, "failure.png")], timeout=20)
        for name in ("first", "second", "again"):
            path = os.path.join(work, name + ".log")
            if os.path.exists(path):
                print("--- %s.log\n%s" % (name, open(path).read()[-2000:]))
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGKILL) if process.args[0] != "Xvfb" \
                        else process.kill()
                except OSError:
                    pass
                process.wait()
        if code == 0 or code == 77:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("kept for a look:", work)
    return code


if __name__ == "__main__":
    sys.exit(main())
