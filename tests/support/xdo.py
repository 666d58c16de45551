"""What a user does on an X server, through xdotool: find a window once it shows, press keys
in it, type into it. For the tests that drive a real program."""
import subprocess
import time


class Xdo:
    def __init__(self, env=None, delay_ms=30):
        self.env = env
        self.delay = str(delay_ms)

    def run(self, *args):
        return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30, env=self.env)

    def window(self, title, seconds=30):
        """The id of the visible window whose title matches, once it is there; None if it never comes."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = self.run("search", "--onlyvisible", "--name", title).stdout.split()
            if found:
                return found[-1]
            time.sleep(0.1)
        return None

    # Keys and text go to the window, brought to the front first (where there is no window
    # manager, focused). Nothing where there is no window: the check that looked for it has
    # failed already.
    def keys(self, target, *names):
        if self._front(target):
            for name in names:
                self.run("key", "--delay", self.delay, name)

    def type(self, target, text):
        if self._front(target):
            self.run("type", "--delay", self.delay, text)

    def _front(self, target):
        if target is None:
            return False
        self.run("windowactivate", "--sync", target)
        self.run("windowfocus", "--sync", target)
        return True
