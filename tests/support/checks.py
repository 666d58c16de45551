"""The small reporting shared by the scripted tests: count failures, close with the plain
'N passed, N failed' line and the exit status."""
import sys


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print("FAILED:", what)

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)
