#!/usr/bin/env python3
"""Runs the README's Python example for /json as it stands there, against
the console twin under Wine beside the stand-in library, on a download of
two CPMs, and checks what it printed and returned.

    json_example_test.py <wine loader> <bin folder> <README.md>
"""
import contextlib
import io
import os
import re
import shutil
import stat
import sys
import tempfile

SETTINGS = ("[DOWNLOAD]\r\nCPMADR=1\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\n"
            "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\nPORT=COM1\r\n"
            "BAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=4\r\n"
            "FILENAME=\r\nTARGET=PRIMARY\r\n")
STAND_IN = ("[Vardel]\r\nPortMask=0x0001\r\nSpeedFactor=1000\r\n"
            "[Script]\r\nReads=0/9 100/3 200/5 300/6 400/8 500/7\r\n")


def readme_example(readme):
    """The Python block of the README's /json section."""
    section = readme[readme.index("(`/json`)"):]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def program_folder(folder, bin_folder, loader):
    """The console twin beside the stand-in; a program of that name that
    starts it in Wine, as Windows would start it."""
    for name in ("TavroDownload.com", "Vardel.dll", "Ostrel.dll"):
        shutil.copy(os.path.join(bin_folder, name), folder)
    shutil.copy(os.path.join(bin_folder, "samples", "cpm4012_app_3.2.1.fdl"),
                os.path.join(folder, "main.fdl"))
    for name, text in (("tavrodownload.ini", SETTINGS), ("Vardel.ini", STAND_IN)):
        with open(os.path.join(folder, name), "w", newline="") as file:
            file.write(text)
    starter = os.path.join(folder, "start-twin")
    loader_env = f"WINELOADER={loader} " if os.path.basename(loader) == "wine64" else ""
    with open(starter, "w") as file:
        file.write(f'#!/bin/sh\ncd "{folder}" && {loader_env}exec setarch "$(uname -m)" -R '
                   f'"{loader}" TavroDownload.com "$@"\n')
    os.chmod(starter, os.stat(starter).st_mode | stat.S_IEXEC)
    return starter


def main():
    loader, bin_folder, readme_path = sys.argv[1:4]
    with open(readme_path, encoding="utf-8") as file:
        example = readme_example(file.read())
    with tempfile.TemporaryDirectory() as folder:
        starter = program_folder(folder, bin_folder, loader)
        scope = {"__name__": "readme_example"}
        exec(example, scope)  # defines download(), runs nothing
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed):
            exit_code = scope["download"](starter, "/simulate", "/address:1,1", "main.fdl")
    lines = printed.getvalue().splitlines()
    expected = ["1 downloaded 500 Download successful!"] * 2 + [
        "exit code 0 {'downloaded': 2}"]
    if exit_code != 0 or lines != expected:
        print(f"exit code {exit_code}, printed:\n" + "\n".join(lines))
        print("expected:\n" + "\n".join(expected))
        return 1
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
