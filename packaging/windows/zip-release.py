#!/usr/bin/python3
# Packs the Windows release so that the same source gives the same zip, byte for byte, in any
# folder, on any machine, at any time: the installed files under one top folder, in name order,
# each stamped with SOURCE_DATE_EPOCH (by default the time of the last commit) and the same
# permissions, with no owner or extra fields; then the zip's SHA-256 into SHA256SUMS beside it.
#
#   zip-release.py BUILD_DIR OUT_DIR NAME [SIGNED.exe]
#
# gives OUT_DIR/NAME.zip and OUT_DIR/SHA256SUMS. SIGNED.exe, packaging/windows/sign.sh's output,
# takes the installed quorlex-config.exe's place as it is: the install strips the program, which
# would take a signature with it, so the program is signed after the install, not in the build.
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

build, out, name = sys.argv[1:4]
signed = sys.argv[4:]
epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
    ["git", "-C", os.path.dirname(os.path.abspath(__file__)), "log", "-1", "--format=%ct"],
    check=True, capture_output=True, text=True).stdout
stamp = time.gmtime(int(epoch))[:6]
with tempfile.TemporaryDirectory() as stage:
    subprocess.run(["cmake", "--install", build, "--prefix", os.path.join(stage, name), "--strip"],
                   check=True, stdout=subprocess.DEVNULL)
    if signed:
        program = os.path.join(stage, name, "quorlex-config.exe")
        os.path.isfile(program) or sys.exit(f"no {program} to put {signed[0]} in its place")
        shutil.copyfile(signed[0], program)
    files = sorted(os.path.relpath(os.path.join(folder, file), stage)
                   for folder, _, names in os.walk(stage) for file in names)
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, name + ".zip")
    with zipfile.ZipFile(path, "w") as archive:
        for file in files:
            entry = zipfile.ZipInfo(file.replace(os.sep, "/"), stamp)
            entry.external_attr = 0o644 << 16
            with open(os.path.join(stage, file), "rb") as data:
                archive.writestr(entry, data.read(), zipfile.ZIP_DEFLATED, 9)
digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
with open(os.path.join(out, "SHA256SUMS"), "w") as sums:
    sums.write(f"{digest}  {name}.zip\n")
