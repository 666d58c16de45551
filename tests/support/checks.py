"""The small reporting shared by the scripted tests: count failures, close with the plain
'N passed, N failed' line and the exit status.

A part that cannot run here (no root to mount, no X server) is skipped out loud: the script
then exits with SKIPPED, which ctest shows as "Not Run" rather than "Passed". Where every part
must run (CI sets PELLARIN_NO_SKIPS), a skipped part is a failure."""
import os
import sys

SKIPPED = 77  # the tests' SKIP_RETURN_CODE


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.skipped = 0

    def skip(self, what):
        print("SKIP", what)
        if os.environ.get("PELLARIN_NO_SKIPS"):
            self.check(False, f"{what} (every part must run here)")
        else:
            self.skipped += 1

    def check(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print("FAILED:", what)

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed" + (f", {self.skipped} skipped" if self.skipped else ""))
        sys.exit(1 if self.failed else SKIPPED if self.skipped else 0)
