#!/usr/bin/env python3
"""Checks that each folder of src/ includes only folders of lower layers, so
the code can be read and tested bottom-up and no two folders need each other,
and that each class's members are defined in the folder that declares it.
Prints every fault; exit code 1 if there is one."""
import pathlib
import re
import sys

# Higher numbers sit on top of lower ones.
LAYERS = {
    "res": 0, "vardel_api": 0,
    "platform": 1,
    "settings": 2, "firmware": 2, "fields": 2,
    "run": 3,
    "script": 4,
    "download": 5, "filedlg": 5,
    "mainwnd": 6,
    "app": 7,
}

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
src = root / "src"
include = re.compile(r'^\s*#\s*include\s+"([a-z_0-9]+)/', re.M)
declaration = re.compile(r'^class\s+(\w+)\b[^;]*$', re.M)
definition = re.compile(r'^(?!\s)[\w:<>*& ]*?\b(\w+)::~?\w+\(', re.M)
faults = []
files = [p for p in sorted(src.rglob("*")) if p.suffix in (".h", ".cpp") and p.parent != src]
home = {}
for path in files:
    for name in declaration.findall(path.read_text(encoding="utf-8")):
        home[name] = path.relative_to(src).parts[0]
for path in files:
    folder = path.relative_to(src).parts[0]
    for name in set(definition.findall(path.read_text(encoding="utf-8"))):
        if home.get(name, folder) != folder:
            faults.append(f"{path.relative_to(root)}: defines members of {name}, "
                          f"which lives in {home[name]}")
    if folder not in LAYERS:
        faults.append(f"{path.relative_to(root)}: folder '{folder}' has no layer")
        continue
    for target in include.findall(path.read_text(encoding="utf-8")):
        if target != folder and LAYERS.get(target, 99) >= LAYERS[folder]:
            faults.append(f"{path.relative_to(root)}: {folder} includes {target}, "
                          f"which is not below it")
print("\n".join(faults) if faults else "Every folder includes only lower layers.")
sys.exit(1 if faults else 0)
