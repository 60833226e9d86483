#!/usr/bin/env python3
"""Checks every #include of the tree against the layers.

Usage: check-layers.py SOURCE_DIR

Each folder may include only the folders its layer stands on; base/ stands below
everything, includes only itself, and every folder may include it; Windows headers appear
only in the Windows code (host/win, server/, and the Windows tests and benchmarks); the
simulated world (sim/) and the Windows side of the seam (host/win/) never include each
other. Inside sim/ each library includes only those it stands on, as in real Office: Excel
stands on Office, and Office and the automation they share never include Excel. Every
violation is printed as FILE:LINE: what; the exit status is 1 when there is one.
"""

import re
import subprocess
import sys
from pathlib import Path

# Folders, most specific first: a file belongs to the first that its path starts with.
PORTABLE_PRODUCT = {"host", "settings", "framework", "addin"}
WINDOWS_CODE = {"host/win", "server", "tests/win", "tests/e2e", "bench/com"}
SIM = {"sim", "sim/sheet", "sim/registry", "sim/desktop", "sim/automation", "sim/office",
       "sim/excel"}
NATIVE_TESTS = PORTABLE_PRODUCT | SIM | {"tools/sim", "tests", "bench", "fuzz"}
ALLOWED = {
    "host/win": {"host", "host/win"},
    "host": {"host"},
    "sim": {"host", "sim"},
    # The simulated world's libraries, each on those sim/CMakeLists.txt links it to.
    "sim/sheet": {"host", "sim/sheet"},
    "sim/registry": {"host", "sim/registry"},
    "sim/desktop": {"host", "sim/desktop"},
    "sim/automation": {"host", "sim/automation"},
    "sim/office": {"host", "sim/automation", "sim/desktop", "sim/office"},
    "sim/excel": {"host", "sim/automation", "sim/sheet", "sim/office", "sim/excel"},
    "settings": {"host", "settings"},
    "framework": {"host", "framework"},
    "addin": {"host", "framework", "settings", "addin"},
    "server": PORTABLE_PRODUCT | {"host/win", "server"},
    "tools/sim": PORTABLE_PRODUCT | SIM | {"tools/sim"},
    # The Windows tests and benchmark drive the real DLL and may reach everything.
    "tests/win": NATIVE_TESTS | WINDOWS_CODE,
    "tests/e2e": NATIVE_TESTS | WINDOWS_CODE,
    "bench/com": NATIVE_TESTS | WINDOWS_CODE,
    "tests": NATIVE_TESTS,
    "bench": NATIVE_TESTS,
    "fuzz": NATIVE_TESTS,
}
# base/ (error vocabulary, text, GUIDs, the dialog model...) is below every layer: it stands on
# nothing of the tree but itself, and every folder stands on it.
ALLOWED = {"base": {"base"}} | {folder: allowed | {"base"} for folder, allowed in ALLOWED.items()}
FOLDERS = sorted(ALLOWED, key=len, reverse=True)

# Headers of the Windows SDK (the C library's own headers, such as io.h, are not among them).
WINDOWS_HEADERS = {
    "windows.h", "windef.h", "winbase.h", "winuser.h", "wingdi.h", "winreg.h", "winerror.h",
    "winnt.h", "winnls.h", "winver.h", "winsock2.h", "ole2.h", "oleauto.h", "olectl.h",
    "objbase.h", "objidl.h", "oaidl.h", "ocidl.h", "unknwn.h", "wtypes.h", "combaseapi.h",
    "initguid.h", "commctrl.h", "commdlg.h", "shellapi.h", "shlobj.h", "shlwapi.h",
    "shobjidl.h", "htmlhelp.h", "uxtheme.h", "vssym32.h", "msi.h", "msiquery.h", "psapi.h",
    "tlhelp32.h", "dbghelp.h", "processthreadsapi.h", "synchapi.h", "richedit.h",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path: str):
    for folder in FOLDERS:
        if path == folder or path.startswith(folder + "/"):
            return folder
    return None


def sources(root: Path):
    """The tree's source files, relative to root: git's list, or a walk outside a clone."""
    patterns = ["*.h", "*.hpp", "*.c", "*.cpp", "*.idl", "*.rc"]
    try:
        return subprocess.run(["git", "ls-files", *patterns], cwd=root, check=True,
                              capture_output=True, text=True).stdout.split()
    except (OSError, subprocess.CalledProcessError):
        return sorted(path.relative_to(root).as_posix() for pattern in patterns
                      for path in root.rglob(pattern)
                      if not path.relative_to(root).parts[0] in ("build", "dist"))


def violations(root: Path):
    for name in sources(root):
        here = folder_of(name)
        if here is None:
            continue
        text = (root / name).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, target = match.groups()
            where = f"{name}:{number}"
            if quote == "<":
                if target.lower() in WINDOWS_HEADERS and here not in WINDOWS_CODE:
                    yield f"{where}: Windows header <{target}> outside the Windows code"
                continue
            # A quoted include is the tree's own: relative to the file, else to the root.
            beside = (Path(name).parent / target).as_posix()
            resolved = beside if (root / beside).is_file() else target
            there = folder_of(resolved)
            if there is None or there in ALLOWED[here]:
                continue
            yield f"{where}: {here}/ includes {resolved}, from {there}/ which it does not stand on"


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    found = list(violations(Path(sys.argv[1])))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) break the layers", file=sys.stderr)
        return 1
    print("every include follows the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
