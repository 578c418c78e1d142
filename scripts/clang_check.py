#!/usr/bin/env python3
"""Compiles every product source (src/, vardel/) of a MinGW-w64 build once
more with clang for the same target, with the cross compiler's MinGW and
libstdc++ headers: a second compiler's view of "standard C++17 and Win32
only". Compiling only, nothing is linked.

    clang_check.py <build folder with compile_commands.json> <top of the sources>

Prints one line per source that fails and a summary; exits 1 when any fails.
"""
import concurrent.futures
import json
import os
import shlex
import subprocess
import sys


def gcc_header_dirs(compiler):
    """The cross compiler's own search list, less its compiler-specific
    headers (clang brings its own intrinsics)."""
    probe = subprocess.run([compiler, "-xc++", "-E", "-v", "-"], input="", text=True,
                           capture_output=True, check=True).stderr.splitlines()
    start = probe.index("#include <...> search starts here:") + 1
    end = probe.index("End of search list.")
    dirs = [os.path.normpath(line.strip()) for line in probe[start:end]]
    return [d for d in dirs if not d.endswith(("/include", "/include-fixed")) or
            "/include/c++" in d or d.endswith("-mingw32/include")]


def expand(arguments, directory):
    """Arguments with response files (@file, as MinGW builds use) read in."""
    out = []
    for argument in arguments:
        if argument.startswith("@"):
            with open(os.path.join(directory, argument[1:])) as rsp:
                out += expand(shlex.split(rsp.read()), directory)
        else:
            out.append(argument)
    return out


def clang_command(entry, target, header_dirs):
    arguments = expand(shlex.split(entry["command"]), entry["directory"])
    kept = []
    for i, argument in enumerate(arguments[1:], 1):
        if argument.startswith(("-D", "-I")) and len(argument) > 2:
            kept.append(argument)
        elif argument in ("-D", "-I", "-isystem"):
            kept += [argument, arguments[i + 1]]
    system = [f for d in header_dirs for f in ("-isystem", d)]
    return (["clang++", f"--target={target}", "-std=c++17", "-Wall", "-Wextra", "-Werror",
             "-fsyntax-only", "-nostdinc++", "-nostdlibinc"] + system + kept + [entry["file"]])


def main():
    build, top = sys.argv[1], os.path.realpath(sys.argv[2])
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    compiler = shlex.split(entries[0]["command"])[0]
    target = os.path.basename(compiler).split("-g++")[0]
    header_dirs = gcc_header_dirs(compiler)
    products = [e for e in entries if e["file"].endswith((".cpp", ".c")) and
                os.path.realpath(e["file"]).startswith((top + "/src/", top + "/vardel/"))]

    def check(entry):
        result = subprocess.run(clang_command(entry, target, header_dirs), cwd=entry["directory"],
                                capture_output=True, text=True)
        return entry["file"], result.returncode, result.stderr

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for file, code, errors in pool.map(check, products):
            if code != 0:
                failed += 1
                print(f"FAILED {os.path.relpath(file, top)}\n{errors}")
    print(f"clang ({target}): {len(products) - failed} of {len(products)} product sources compiled")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
