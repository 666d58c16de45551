"""The Debian package as a user installs it: built by CPack from the install rules into a
temporary folder, checked by lintian, desktop-file-validate and appstreamcli, then unpacked
and its programs run from where they landed.

usage: package_test.py BUILD_DIR"""
import glob
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

BUILD = sys.argv[1]
checks = Checks()
check = checks.check


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=300, **kwargs)


def errors_and_warnings(name, output):
    """Prints what a checker said; its error lines."""
    print(f"--- {name}\n{output.strip() or '(nothing)'}")
    return [line for line in output.splitlines() if re.match(r"^E: ", line)]


with tempfile.TemporaryDirectory() as folder:
    made = run("cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", folder)
    check(made.returncode == 0, f"cpack builds the package\n{made.stdout}{made.stderr}")
    debs = glob.glob(os.path.join(folder, "pellarin_*_*.deb"))
    check(len(debs) == 1, f"one package named pellarin_<version>_<arch>.deb ({debs})")
    if not debs:
        checks.finish()
    deb = debs[0]

    lint = run("lintian", "--tag-display-limit", "0", deb)
    check(not errors_and_warnings("lintian", lint.stdout), "lintian finds no error")
    check(not re.search(r"^W: ", lint.stdout, re.M), "lintian finds no warning")

    info = run("dpkg-deb", "--field", deb, "Depends").stdout
    check("fonts-arphic-uming | fonts-noto-cjk" in info, f"a CJK font is a dependency: {info.strip()}")
    check(re.search(r"libqt6widgets6 \(>=", info) and re.search(r"libzip4", info),
          "library dependencies computed from the binaries")

    root = os.path.join(folder, "root")
    check(run("dpkg-deb", "-x", deb, root).returncode == 0, "the package unpacks")
    app_id = "org.pellarin.Pellarin"
    for path in ("usr/bin/pellarin", "usr/bin/pellarin-sheets", f"usr/share/applications/{app_id}.desktop",
                 f"usr/share/metainfo/{app_id}.metainfo.xml", "usr/share/man/man1/pellarin.1.gz",
                 "usr/share/man/man1/pellarin-sheets.1.gz", "usr/share/doc/pellarin/copyright",
                 f"usr/share/icons/hicolor/48x48/apps/{app_id}.png"):
        check(os.path.exists(os.path.join(root, path)), f"the package holds {path}")

    desktop = run("desktop-file-validate", os.path.join(root, f"usr/share/applications/{app_id}.desktop"))
    print(f"--- desktop-file-validate\n{desktop.stdout.strip() or '(nothing)'}")
    check(desktop.returncode == 0 and "error" not in desktop.stdout, "the desktop entry is valid")
    metainfo = os.path.join(root, f"usr/share/metainfo/{app_id}.metainfo.xml")
    meta = run("appstreamcli", "validate", "--no-net", metainfo)
    said = meta.stdout + meta.stderr
    check(not errors_and_warnings("appstreamcli", said), "the metainfo has no error")
    check(meta.returncode == 0 and not re.search(r"^W: ", said, re.M), "the metainfo has no warning")
    pedantic = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    print(f"--- appstreamcli --pedantic\n{(pedantic.stdout + pedantic.stderr).strip()}")

    # The manual pages come from the help texts: every option --help lists is in the page.
    for program in ("pellarin", "pellarin-sheets"):
        shown = run(os.path.join(root, "usr/bin", program), "--help").stdout
        page = run("man", "-l", os.path.join(root, f"usr/share/man/man1/{program}.1.gz"),
                   env=dict(os.environ, MANWIDTH="200", LANG="C.UTF-8")).stdout
        options = set(re.findall(r"^\s+(--[a-z]+)", shown, re.M))
        check(options and all(re.search(rf"^\s+{o}\b", page, re.M) for o in options),
              f"{program}(1) lists every option of --help ({sorted(options)})")
        keys = re.findall(r"^  (\S.*?\S)  +", shown.split("按键：")[1], re.M) if "按键：" in shown else []
        check(all(k in page for k in keys), f"{program}(1) lists every key of --help")

    for program in ("pellarin", "pellarin-sheets"):
        version = run(os.path.join(root, "usr/bin", program), "--version")
        check(version.returncode == 0 and re.fullmatch(rf"{program} \d+\.\d+\.\d+\n", version.stdout),
              f"{program} --version: {version.stdout!r}")
    sheets = subprocess.run([os.path.join(root, "usr/bin/pellarin-sheets"), "--sheets", "2", "--seed", "4"],
                            capture_output=True, timeout=60)
    check(sheets.returncode == 0 and sheets.stdout.decode("utf-8").count("口算题") == 2, "a 2-sheet run")
    pdf = os.path.join(folder, "sheets.pdf")
    made = subprocess.run([os.path.join(root, "usr/bin/pellarin-sheets"), "--sheets", "2", "--pdf", pdf],
                          capture_output=True, timeout=60)
    check(made.returncode == 0 and os.path.getsize(pdf) > 1000,
          f"--pdf loads the installed PDF module ({made.stderr.decode()!r})")

checks.finish()
