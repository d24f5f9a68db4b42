#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# Every command in docs/ runs as written. Each code block of docs/*.md carries a marker on the line
# before it (docs/README.md): "<!-- run -->" (a shell script), "<!-- run: COMMAND -->" (the block is
# COMMAND's standard input) or "<!-- not run: REASON -->". The marked blocks of one page run in order
# in one shell, in a scratch folder laid out like a checkout after ./dev build: docs/, demo/, tests/,
# tools/ and dev from the source, and build/release holding copies of the built programs and of the
# demo database, so a page may change them as it tells its reader to. vondrel-host and
# vondrel-template are on PATH. A block that fails names its page, its line and its text.
#   docs_commands_test.py <source dir> <vondrel-host> <vondrel-template> <demo.db> [page.md ...]
import os
import re
import shutil
import subprocess
import sys
import tempfile

MARKER = re.compile(r"^\s*<!--\s*(run|not run|example)\s*(?::\s*(.*?))?\s*-->\s*$")
FENCE = re.compile(r"^(`{3,}|~{3,})")
LIST_ITEM = re.compile(r"^([-*+]|\d+[.)])(\s+)")
PAGE_TIMEOUT = 600


class Block:
    def __init__(self, line, text, marker):
        self.line, self.text, self.marker = line, text, marker


def dedent(lines, width):
    return [line[width:] if line[:width].strip() == "" else line.lstrip() for line in lines]


def code_blocks(text):
    """(line, text, the line before it) of every fenced or indented code block, as CommonMark sees them
    in these pages: an indented block follows a blank line and is indented four past the current list
    item's text."""
    lines = text.split("\n")
    blocks = []
    base = 0  # where the current list item's text starts; 0 outside lists
    previous = ""  # the last non-blank line before the current one
    blank_before = True
    i = 0
    while i < len(lines):
        line = lines[i]
        stripped = line.lstrip(" ")
        indent = len(line) - len(stripped)
        if not stripped:
            blank_before = True
            i += 1
            continue
        fence = FENCE.match(stripped)
        if fence and indent < base + 4:
            end = i + 1
            while end < len(lines) and not lines[end].lstrip(" ").startswith(fence.group(1)):
                end += 1
            blocks.append((i + 1, "\n".join(dedent(lines[i + 1:end], indent)), previous))
            previous, blank_before, i = lines[min(end, len(lines) - 1)], False, end + 1
            continue
        if blank_before and indent >= base + 4:
            end = i
            while end < len(lines) and (not lines[end].strip() or
                                        len(lines[end]) - len(lines[end].lstrip(" ")) >= base + 4):
                end += 1
            body = dedent(lines[i:end], base + 4)
            while body and not body[-1].strip():
                body.pop()
            blocks.append((i + 1, "\n".join(body), previous))
            previous, blank_before, i = body[-1], False, end
            continue
        item = LIST_ITEM.match(stripped)
        if item:
            base = indent + len(item.group(0))
        elif blank_before and indent < base:
            base = 0
        previous, blank_before = line, False
        i += 1
    return blocks


def page_blocks(path):
    """The page's blocks, and a list of complaints about blocks without a marker."""
    blocks, complaints = [], []
    name = os.path.join("docs", os.path.basename(path))
    with open(path, encoding="utf-8") as page:
        for line, text, before in code_blocks(page.read()):
            marker = MARKER.match(before)
            if not marker:
                complaints.append(f"{name}:{line}: code block without <!-- run --> or <!-- not run: reason -->")
            elif marker.group(1) == "not run" and not marker.group(2):
                complaints.append(f"{name}:{line}: <!-- not run --> needs a reason")
            elif marker.group(1) == "run":
                blocks.append(Block(line, text, marker.group(2) or ""))
    return blocks, complaints


def scratch_checkout(root, source, host, template, demo_db):
    """A folder laid out like a checkout after ./dev build, which a page may change freely."""
    for name in ("demo", "tests", "tools", "dev"):
        os.symlink(os.path.join(source, name), os.path.join(root, name))
    shutil.copytree(os.path.join(source, "docs"), os.path.join(root, "docs"))
    release = os.path.join(root, "build", "release")
    os.makedirs(os.path.join(release, "demo"))
    shutil.copy2(demo_db, os.path.join(release, "demo", "vondrel-demo.db"))
    # The host's folder is its component folder (templates, plugins/), found from the program's own
    # path: a copy, so that templates a page imports land beside this copy only.
    host_dir = os.path.join(release, "src", "app", "host")
    shutil.copytree(os.path.dirname(host), host_dir, symlinks=True,
                    ignore=shutil.ignore_patterns("CMakeFiles", "*.cmake", "*.a"))
    # Without --db the host takes the demo database beside it first: this checkout's, not the build's.
    os.symlink(os.path.join("..", "..", "..", "demo", "vondrel-demo.db"), os.path.join(host_dir, "vondrel-demo.db"))
    os.makedirs(os.path.join(release, "src", "app", "template"))
    shutil.copy2(template, os.path.join(release, "src", "app", "template"))
    bin_dir = os.path.join(root, "bin")
    os.makedirs(bin_dir)
    for program in (os.path.join(host_dir, "vondrel-host"),
                    os.path.join(release, "src", "app", "template", "vondrel-template")):
        os.symlink(program, os.path.join(bin_dir, os.path.basename(program)))
    return bin_dir


def run_page(path, blocks, args, work):
    """Runs the page's blocks in one shell; returns "" or what failed."""
    name = os.path.join("docs", os.path.basename(path))
    root = os.path.join(work, os.path.splitext(os.path.basename(path))[0])
    os.makedirs(root)
    bin_dir = scratch_checkout(root, *args)
    progress = os.path.join(work, os.path.basename(path) + ".progress")
    script = ["set -eo pipefail"]
    for number, block in enumerate(blocks):
        script.append(f"echo {number} >{shell_quote(progress)}")
        if block.marker:
            stdin = os.path.join(work, f"{os.path.basename(path)}.{number}.in")
            with open(stdin, "w", encoding="utf-8") as out:
                out.write(block.text + "\n")
            script.append(f"{block.marker} <{shell_quote(stdin)}")
        else:
            script.append(block.text)
    env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""), QT_QPA_PLATFORM="offscreen")
    try:
        result = subprocess.run(["bash", "-c", "\n".join(script)], cwd=root, env=env, capture_output=True,
                                text=True, timeout=PAGE_TIMEOUT)
        status = result.returncode
        output = result.stdout + result.stderr
    except subprocess.TimeoutExpired as expired:
        status = f"timed out after {PAGE_TIMEOUT} s"
        output = (expired.stdout or b"").decode(errors="replace") + (expired.stderr or b"").decode(errors="replace")
    if status == 0:
        return ""
    with open(progress, encoding="utf-8") as file:
        block = blocks[int(file.read())]
    how = f" (as the input of {block.marker})" if block.marker else ""
    return f"{name}:{block.line}: the block{how} failed (exit status {status}):\n{block.text}\n--- output ---\n{output}"


def shell_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def main():
    source, host, template, demo_db = (os.path.abspath(arg) for arg in sys.argv[1:5])
    docs = os.path.join(source, "docs")
    pages = sys.argv[5:] or sorted(os.path.join(docs, f) for f in os.listdir(docs) if f.endswith(".md"))
    failures = []
    # The private PostgreSQL a page may start (./dev demo-pg): directly under /tmp, where the server's
    # own user can reach it and the socket path stays short; stopped whatever the page did.
    pg_dir = tempfile.mkdtemp(prefix="vondrel-docs-pg.", dir="/tmp")
    os.environ["VONDREL_DEMO_PG_DIR"] = pg_dir
    try:
        with tempfile.TemporaryDirectory(prefix="vondrel-docs.") as work:
            for page in pages:
                blocks, complaints = page_blocks(page)
                failures += complaints
                if blocks:
                    failure = run_page(page, blocks, (source, host, template, demo_db), work)
                    print(f"{os.path.basename(page)}: {len(blocks)} blocks " + ("FAILED" if failure else "ran"))
                    if failure:
                        failures.append(failure)
    finally:
        subprocess.run([os.path.join(source, "tests", "support", "pg-server.sh"), "stop", pg_dir],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(pg_dir, ignore_errors=True)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
