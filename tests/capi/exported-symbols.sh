#!/bin/sh
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# libVondrel.so exports the functions vondrel.h declares and nothing else: no symbol of the layers
# inside it, which would clash with a host's own copies of the same libraries. Its soname carries
# the version's MAJOR.MINOR.
#   exported-symbols.sh <libVondrel.so> <vondrel.h> <version>
set -eu
lib=$1
header=$2
version=$3
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
if [ "$soname" != "libVondrel.so.${version%.*}" ]; then
    echo "soname '$soname' does not carry the version $version" >&2
    exit 1
fi
# Global definitions only (upper-case types); the version node (A) is no symbol.
nm -D --defined-only "$lib" | awk '$2 ~ /^[A-Z]$/ && $2 != "A" { sub(/@.*/, "", $3); print $3 }' | sort >exported.txt
sed -n 's/^VONDREL_API .*[ *]\(vondrel_[a-z_0-9]*\)(.*/\1/p' "$header" | sort >declared.txt
if [ ! -s declared.txt ]; then
    echo "no function found in $header" >&2
    exit 1
fi
if ! diff -u declared.txt exported.txt; then
    echo "libVondrel.so exports differ from vondrel.h (- declared only, + exported only)" >&2
    exit 1
fi
echo "libVondrel.so exports the $(wc -l <declared.txt) functions of vondrel.h and nothing else"
