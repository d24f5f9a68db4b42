# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""Finds libVondrel.so and declares the C interface of vondrel.h to ctypes."""
import ctypes
import ctypes.util
import glob
import os

_HOST = ctypes.c_void_p
MESSAGE_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int,
                                   ctypes.c_int)
REPORT_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_int,
                                   ctypes.c_char_p)
SHOWN_HANDLER = ctypes.CFUNCTYPE(None, ctypes.c_void_p, _HOST)

# name: (result type, argument types), as vondrel.h declares them.
_FUNCTIONS = {
    "vondrel_version": (ctypes.c_char_p, []),
    "vondrel_host_create": (_HOST, []),
    "vondrel_host_destroy": (None, [_HOST]),
    "vondrel_host_last_error": (ctypes.c_char_p, [_HOST]),
    "vondrel_host_open_connection": (ctypes.c_int, [_HOST, ctypes.c_char_p]),
    "vondrel_host_create_login": (ctypes.c_int, [_HOST, ctypes.c_char_p]),
    "vondrel_host_set_login_field": (ctypes.c_int, [_HOST, ctypes.c_char_p, ctypes.c_char_p]),
    "vondrel_host_set_move_buttons": (None, [_HOST, ctypes.c_int]),
    "vondrel_host_set_component_folder": (ctypes.c_int, [_HOST, ctypes.c_char_p]),
    "vondrel_host_set_message_handler": (None, [_HOST, MESSAGE_HANDLER, ctypes.c_void_p]),
    "vondrel_host_set_parameter": (ctypes.c_int, [_HOST, ctypes.c_char_p, ctypes.c_char_p]),
    "vondrel_host_clear_parameters": (None, [_HOST]),
    "vondrel_host_show_report": (ctypes.c_int, [_HOST, ctypes.c_int]),
    "vondrel_host_set_parent_window": (None, [_HOST, ctypes.c_ulonglong]),
    "vondrel_host_set_shown_handler": (None, [_HOST, SHOWN_HANDLER, ctypes.c_void_p]),
    "vondrel_host_save_window_image": (ctypes.c_int, [_HOST, ctypes.c_char_p]),
    "vondrel_host_close_window": (ctypes.c_int, [_HOST]),
    "vondrel_host_add_action": (ctypes.c_int, [_HOST, ctypes.c_char_p]),
    "vondrel_host_clear_actions": (None, [_HOST]),
    "vondrel_host_export_report": (ctypes.c_int, [_HOST, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p]),
    "vondrel_host_list_reports": (ctypes.c_int, [_HOST, REPORT_CALLBACK, ctypes.c_void_p]),
}


def candidates():
    """Where the library is looked for, in order."""
    found = []
    if os.environ.get("VONDREL_LIBRARY"):
        found.append(os.environ["VONDREL_LIBRARY"])
    here = os.path.dirname(os.path.abspath(__file__))
    found.append(os.path.join(here, "libVondrel.so"))
    # A checkout: python/vondrel/ beside build/<folder>/, newest build first.
    checkout = os.path.dirname(os.path.dirname(here))
    built = glob.glob(os.path.join(checkout, "build", "*", "src", "app", "host", "libVondrel.so"))
    found.extend(sorted(built, key=os.path.getmtime, reverse=True))
    system = ctypes.util.find_library("Vondrel")
    if system:
        found.append(system)
    return found


def load():
    """The loaded library with its functions declared; ImportError when none is found."""
    tried = []
    for path in candidates():
        if os.sep in path and not os.path.exists(path):
            tried.append(path)
            continue
        try:
            lib = ctypes.CDLL(path)
        except OSError as error:
            tried.append(f"{path} ({error})")
            continue
        for name, (restype, argtypes) in _FUNCTIONS.items():
            function = getattr(lib, name)
            function.restype = restype
            function.argtypes = argtypes
        return lib
    raise ImportError("找不到 libVondrel.so（可用环境变量 VONDREL_LIBRARY 指定路径）；找过：" + "；".join(tried))
