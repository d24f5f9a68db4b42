#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The code in docs/embedding.md is the code the example tests build and run: every fenced block
# announced by <!-- example: FILE REGION --> must equal the lines between "[embedding: REGION]" and
# "[/embedding]" in FILE (indentation removed).
#   doc_examples.py <source dir>
import re
import sys
import textwrap

SOURCE = sys.argv[1]
ANNOUNCED = re.compile(r"<!-- example: (\S+) (\S+) -->\n```\w*\n(.*?)```", re.S)


def region(path, name):
    with open(f"{SOURCE}/{path}", encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = next((k for k, line in enumerate(lines) if f"[embedding: {name}]" in line), None)
    if start is None:
        return None
    end = next(k for k in range(start + 1, len(lines)) if "[/embedding]" in lines[k])
    return textwrap.dedent("\n".join(lines[start + 1:end])) + "\n"


with open(f"{SOURCE}/docs/embedding.md", encoding="utf-8") as f:
    doc = f.read()
blocks = ANNOUNCED.findall(doc)
failures = 0
for path, name, shown in blocks:
    tested = region(path, name)
    if tested is None:
        print(f"{path} has no region '{name}'")
        failures += 1
    elif tested != shown:
        print(f"docs/embedding.md shows {path} '{name}' differently:\n--- tested\n{tested}--- shown\n{shown}")
        failures += 1
if len(blocks) < 10:
    print(f"only {len(blocks)} announced examples in docs/embedding.md")
    failures += 1
print(f"{len(blocks)} examples checked, {failures} differ")
sys.exit(1 if failures else 0)
