#!/usr/bin/env python3
"""Prints the notices of the third-party parts that the Windows build of Qt's base module
compiles into Qt Core, Qt Gui, Qt Widgets and the two plugins linked into the tool: for each,
its name, version, copyright and licence text, read from Qt's own attribution files."""
import json
import pathlib
import sys

# Folders of Qt's source whose attribution files describe those parts. Left out: parts of
# modules and features the build switches off (network, D-Bus, OpenGL, Vulkan, JPEG, FreeType,
# Markdown, PDF) and of other platforms.
FOLDERS = [
    "src/3rdparty/blake2", "src/3rdparty/double-conversion", "src/3rdparty/easing",
    "src/3rdparty/harfbuzz-ng", "src/3rdparty/libpng", "src/3rdparty/md4",
    "src/3rdparty/md5", "src/3rdparty/pcre2", "src/3rdparty/rfc6234", "src/3rdparty/sha1",
    "src/3rdparty/sha3", "src/3rdparty/tinycbor", "src/3rdparty/zlib", "src/corelib/text",
    "src/corelib/tools", "src/gui/painting", "src/gui/text",
]


def main(source):
    for folder in FOLDERS:
        path = pathlib.Path(source, folder)
        entries = json.loads((path / "qt_attribution.json").read_text(), strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            print("=" * 78)
            print(f"{entry['Name']} {entry.get('Version', '')}".strip())
            print(f"Used in Qt: {entry.get('QtUsage', '')}")
            print(f"Licence: {entry.get('License', 'see below')}")
            print(f"{entry.get('Copyright', '')}\n")
            for name in str(entry.get("LicenseFile", "")).split():
                if (path / name).is_file():
                    print((path / name).read_text(errors="replace"))


if __name__ == "__main__":
    main(sys.argv[1])
