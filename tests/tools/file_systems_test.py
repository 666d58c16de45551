"""pellarin-sheets writing documents where files are awkward: FAT-like file systems without
hard links or RENAME_NOREPLACE, names and paths at the limits, names that are not UTF-8,
interrupted writes, full and read-only disks. Mounting needs root (CI runs as root)."""
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

TOOL = sys.argv[1]
checks = Checks()
check = checks.check
ROOT = os.geteuid() == 0


def run(*args, **kw):
    return subprocess.run([TOOL, *args], capture_output=True, timeout=120, **kw)


def said(r):
    """What the tool said, without the long paths some of these tests use."""
    err = r.stderr.decode(errors="replace")
    return repr(err if len(err) < 200 else err[:60] + "…" + err[-80:])


def hidden(folder):
    return sorted(n for n in os.listdir(folder) if n.startswith("."))


def mount(kind, size_mib=64):
    """Makes and mounts a file system image; returns (mount point, undo) or None with a reason."""
    point = tempfile.mkdtemp(prefix=f"pellarin-{kind}-")
    if kind == "tmpfs-full" or kind == "tmpfs-ro":
        options = "size=64k" if kind == "tmpfs-full" else "ro,size=64k"
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", point], capture_output=True)
        if r.returncode != 0:
            return None, r.stderr.decode().strip()
        return point, lambda: (subprocess.run(["umount", point]), os.rmdir(point))
    image = point + ".img"
    with open(image, "wb") as f:
        f.truncate(size_mib << 20)
    subprocess.run(["mkfs.exfat", image], check=True, capture_output=True)
    # The kernel's driver where there is one, else the FUSE driver of the same file system.
    r = subprocess.run(["mount", "-o", "loop", image, point], capture_output=True)
    device = None
    if r.returncode != 0:
        device = subprocess.run(["losetup", "-f", "--show", image], capture_output=True, text=True)
        if device.returncode != 0:
            return None, device.stderr.strip()
        device = device.stdout.strip()
        r = subprocess.run(["mount.exfat-fuse", device, point], capture_output=True)
        if r.returncode != 0:
            subprocess.run(["losetup", "-d", device])
            return None, r.stderr.decode().strip()

    def undo():
        subprocess.run(["umount", point])
        if device:
            subprocess.run(["losetup", "-d", device])
        os.rmdir(point)
        os.remove(image)
    return point, undo


@contextlib.contextmanager
def mounted(kind):
    """The mount point of a fresh file system of that kind while the block runs; None, with the
    reason printed, where it cannot be mounted."""
    if not ROOT:
        checks.skip(f"{kind}: mounting a file system needs root")
        yield None
        return
    point, undo = mount(kind)
    if point is None:
        checks.skip(f"{kind}: cannot mount here: {undo}")
        yield None
        return
    try:
        yield point
    finally:
        undo()


def without_links_or_noreplace(point):
    """Whether the mounted file system really lacks both ways of placing without replacing."""
    a, b = os.path.join(point, "probe-a"), os.path.join(point, "probe-b")
    open(a, "w").close()
    try:
        os.link(a, b)
        os.remove(b)
        return False
    except OSError:
        return True
    finally:
        os.remove(a)


# --- exFAT (USB sticks): the name is claimed, the finished file then takes it ------------------
# (FAT behaves the same; Debian's FUSE driver for FAT cannot rewrite bytes already written,
# which every zip writer does, so exFAT stands for both.)
kind = "exfat"
with mounted(kind) as point:
    if point:
        check(without_links_or_noreplace(point), f"{kind}: no hard links on this mount")
        start = time.monotonic()
        stem = "口算题"
        for option, name in (("--docx", stem + ".docx"), ("--pdf", stem + ".pdf")):
            target = os.path.join(point, name)
            r = run("--sheets", "3", "--seed", "5", option, target)
            check(r.returncode == 0 and os.path.getsize(target) > 1000,
                  f"{kind}: {option} writes the document ({r.stderr.decode()!r})")
            before = open(target, "rb").read()
            again = run("--sheets", "3", "--seed", "6", option, target)
            check(again.returncode == 1 and "已经有同名的文件或文件夹" in again.stderr.decode(),
                  f"{kind}: {option} never replaces an existing document")
            check(open(target, "rb").read() == before, f"{kind}: the existing document is untouched")
            check(hidden(point) == [], f"{kind}: no private file is left ({hidden(point)})")
        # The document made there reads back as the one made on an ordinary disk.
        ordinary = tempfile.mkdtemp()
        run("--sheets", "3", "--seed", "5", "--docx", os.path.join(ordinary, "a.docx"))
        import zipfile
        with zipfile.ZipFile(os.path.join(ordinary, "a.docx")) as x, \
                zipfile.ZipFile(os.path.join(point, stem + ".docx")) as y:
            check(x.read("word/document.xml") == y.read("word/document.xml"),
                  f"{kind}: the document's text is the same as on an ordinary disk")
        shutil.rmtree(ordinary)
        print(f"{kind}: round trip of --docx and --pdf, new and refused, {time.monotonic() - start:.2f} s")

# --- Names and paths at the limits -------------------------------------------------------------
with tempfile.TemporaryDirectory() as top:
    base = top.encode()
    for total in (248, 251, 255):
        for suffix in (b".docx", b".pdf"):
            stem = b"n" * (total - len(suffix))
            path = os.path.join(base, stem + suffix)
            r = run("--sheets", "1", "--seed", "1", "--docx" if suffix == b".docx" else "--pdf", path)
            check(r.returncode == 0 and os.path.isfile(path),
                  f"a {total}-byte name{suffix.decode()} is written ({said(r)})")
    # Chinese characters are three bytes: 83 of them and "ab.pdf" make 255 bytes.
    name = ("题" * 83).encode() + b"ab.pdf"
    r = run("--sheets", "1", "--pdf", os.path.join(base, name))
    check(r.returncode == 0 and os.path.isfile(os.path.join(base, name)), f"a {len(name)}-byte Chinese name")
    check(not [n for n in os.listdir(base) if n.startswith(b".")], "no private files left by long names")

    # Paths of 4,088 to 4,095 characters: folders of 200-byte names, the last cut so that the
    # folder's path is 3,860 characters and the names 227 to 234 bytes.
    deep = base
    while len(deep) + 201 < 3860:
        deep = os.path.join(deep, b"d" * 200)
    deep = os.path.join(deep, b"e" * (3860 - len(deep) - 1))
    os.makedirs(deep)
    for length in (4088, 4092, 4095):
        for option, suffix in (("--docx", b".docx"), ("--pdf", b".pdf")):
            name = b"p" * (length - len(deep) - 1 - len(suffix)) + suffix
            path = os.path.join(deep, name)
            assert len(path) == length
            r = run("--sheets", "1", option, path)
            check(r.returncode == 0 and os.path.isfile(path),
                  f"{option} to a path of {length} characters ({said(r)})")
    too_long = os.path.join(deep, b"q" * (4096 - len(deep)))
    r = run("--sheets", "1", "--pdf", too_long)
    check(r.returncode == 1 and "文件名太长" in r.stderr.decode(), "a path past the limit says the name is too long")

    # Bytes that are not UTF-8: the file has exactly the name given, both ways.
    for option, raw in (("--docx", b"\xff\xfe-sheets.docx"), ("--pdf", b"\xff\xfe-sheets.pdf"),
                        ("--pdf", b"caf\xe9.pdf")):
        r = run("--sheets", "1", option, os.path.join(base, raw))
        check(r.returncode == 0 and raw in os.listdir(base), f"{option} writes the name {raw!r} as given")

# --- Interrupted writes ----------------------------------------------------------------------
# The PDF is written by a module loaded at run time: the tool's handler must know its file too.
for option, sheets, name in (("--docx", "20000", "big.docx"), ("--pdf", "3000", "big.pdf")):
    print(f"what an interrupted {sheets}-sheet {option} leaves beside its target:")
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGKILL):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, name)
            p = subprocess.Popen([TOOL, "--sheets", sheets, "--seed", "2", option, target],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            deadline = time.monotonic() + 60
            # Interrupted while the document is being written, once the private file has grown.
            while time.monotonic() < deadline and p.poll() is None:
                files = hidden(folder)
                if files and os.path.getsize(os.path.join(folder, files[0])) > 100000:
                    break
                time.sleep(0.01)
            grown = p.poll() is None and hidden(folder) != []
            p.send_signal(sig)
            p.wait(timeout=60)
            left = os.listdir(folder)
            label = f"{option} {signal.Signals(sig).name}"
            print(f"  {signal.Signals(sig).name}: exit {p.returncode}, left {left}")
            check(grown, f"{label}: interrupted while its private file was there")
            check(p.returncode == -sig, f"{label} ends the program as the signal does")
            check(name not in left, f"{label}: no document under the final name")
            if sig == signal.SIGKILL:
                check(len(left) <= 1, f"{label} leaves at most the one private file")
            else:
                check(left == [], f"{label} leaves nothing behind")

# --- Full and read-only disks: every writer in the same words -----------------------------------
for kind, words in (("tmpfs-full", "磁盘已满"), ("tmpfs-ro", "磁盘是只读的")):
    with mounted(kind) as point:
        if not point:
            continue
        for option in ("--docx", "--pdf"):
            r = run("--sheets", "300", option, os.path.join(point, "a" + option[1:]))
            err = r.stderr.decode()
            check(r.returncode == 1 and words in err, f"{kind}: {option} says {words} ({err!r})")
            check(hidden(point) == [] and os.listdir(point) == [], f"{kind}: {option} leaves nothing")

# --- A text run loads nothing of Qt's graphics ---------------------------------------------------
libraries = subprocess.run(["ldd", TOOL], capture_output=True, text=True).stdout
check("libQt6" not in libraries, "pellarin-sheets links no Qt library; --pdf loads its module")

checks.finish()
