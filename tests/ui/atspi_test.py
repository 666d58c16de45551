"""The real program as a screen reader meets it: started on an X server (Xvfb) in a D-Bus session
with the accessibility bus, read through AT-SPI with pyatspi. Every control has its caption as
its name; the picture buttons are push buttons whose action runs their command.

usage: atspi_test.py PELLARIN  (it starts the X server and the session itself)"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

PROGRAM = sys.argv[1]


def outer():
    """Starts Xvfb on a free display and runs this script again inside a D-Bus session."""
    # Xvfb picks a free display itself and says which.
    read, write = os.pipe()
    # -noreset: an X server resets when its last client goes (the bus launcher, say), and for
    # that moment it turns away the program that starts.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                             "-noreset"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as said:
            display = ":" + said.readline().strip()
        env = dict(os.environ, DISPLAY=display)
        env.pop("QT_QPA_PLATFORM", None)
        r = subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(__file__), PROGRAM, "inner"],
                           env=env, timeout=240)
        sys.exit(r.returncode)
    finally:
        xvfb.terminate()
        xvfb.wait()


def inner():
    checks = Checks()
    check = checks.check
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The program looks for the accessibility bus once, as it starts: the bus must be up first,
    # however busy the machine is.
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        address = subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                                  "/org/a11y/bus", "org.a11y.Bus.GetAddress"], capture_output=True, text=True)
        if address.returncode == 0 and "unix:" in address.stdout:
            break
        time.sleep(0.2)
    import pyatspi  # after the bus is up
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               LANG="C.UTF-8")
    program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        def main_window():
            for app in pyatspi.Registry.getDesktop(0):
                if app is None or "pellarin" not in (app.name or "").lower():
                    continue
                for window in app:
                    if window is not None and window.name == "Pellarin" and window.childCount > 10:
                        check(window.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW),
                              f"the main window is a window ({window.getRoleName()})")
                        return window
            return None

        window = None
        deadline = time.monotonic() + 90  # the splash first, for two seconds; a busy machine is slow
        while window is None and time.monotonic() < deadline:
            window = main_window()
            if window is None:
                time.sleep(0.25)
        check(window is not None, "the main window is seen on the accessibility bus")
        if window is None:
            checks.finish()

        def walk(node):
            for child in node:
                if child is not None:
                    yield child
                    yield from walk(child)

        controls = list(walk(window))
        buttons = {c.name: c for c in controls if c.getRole() == pyatspi.ROLE_PUSH_BUTTON}
        expected = ["需要帮助请点击这里", "开始出题", "生成试卷", "清除内容", "将题复制至:剪贴板", "退出",
                    "多少以内的加减法？", "难易程度", "试卷份数"]
        check(len(buttons) == 9, f"nine push buttons, the nine picture faces ({len(buttons)})")
        for name in expected:
            check(name in buttons, f"a push button named {name!r} (buttons: {sorted(buttons)})")
        for name, button in buttons.items():
            actions = button.queryAction()
            check(actions.nActions >= 1 and actions.getName(0).lower() == "press",
                  f"{name!r} has a press action ({[actions.getName(i) for i in range(actions.nActions)]})")
        combos = [c for c in controls if c.getRole() == pyatspi.ROLE_COMBO_BOX]
        check([c.name for c in combos] == ["难易程度"], f"the combo box is named by its caption ({[c.name for c in combos]})")
        named = {c.name for c in controls if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)}
        for name in ("多少以内的加减法？", "试卷份数", "试卷内容"):
            check(name in named, f"a text box named {name!r} ({sorted(named)})")

        # The start button's press action runs a run: the sheets appear in the output box.
        buttons["开始出题"].queryAction().doAction(0)
        output = next(c for c in controls if c.name == "试卷内容")
        text = ""
        deadline = time.monotonic() + 20
        while "口算题" not in text and time.monotonic() < deadline:
            time.sleep(0.25)
            text = output.queryText().getText(0, 200)
        check("口算题" in text, "pressing 开始出题 through AT-SPI puts the sheets in the box")
    finally:
        program.kill()
        program.wait()
        bus.terminate()
    checks.finish()


if len(sys.argv) > 2 and sys.argv[2] == "inner":
    inner()
else:
    outer()
