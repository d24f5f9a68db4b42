// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A shared library without the registration function (a stray library in the plug-in folder).
extern "C" __attribute__((visibility("default"))) int vondrel_unrelated_function() {
    return 42;
}
