# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""Show and export the reports of a Vondrel catalogue from Python.

    import vondrel
    host = vondrel.Host("/var/lib/erp/erp.db")
    host.login(FUsername="张三", fuserid=1)
    for report in host.reports():
        print(report.id, report.name, report.group_name)
    host.export(1, "/tmp/销售汇总.xls", params={"fdatefrom": "2024-03-01"})
    host.show(1)                      # modal; returns when the user closes the window

Failures raise vondrel.Error with the system's own (Chinese) message. Call from the thread that runs
the user interface; in a PyQt6 application the report uses the application's QApplication.
"""
import ctypes
import datetime
import os
import sys
from typing import Callable, Iterable, List, Mapping, NamedTuple, Optional, Union

from . import _library

__all__ = ["Error", "Host", "Report", "version", "DEFAULT_LOGIN_FIELDS",
           "OK", "CANCEL", "RETRY", "YES", "NO"]

_lib = _library.load()

# The login record hosts usually hand over: user name, account name, login date and the numeric user
# id that keys the user's own column settings.
DEFAULT_LOGIN_FIELDS = "FUsername S20,FAcctName S40,Flogindate D,fuserid N"

# Answers a message handler returns (the platform's numbers, as in vondrel.h).
OK, CANCEL, RETRY, YES, NO = 1, 2, 4, 6, 7


class Error(Exception):
    """A refused call; str(error) and error.message are the system's message."""

    def __init__(self, message: str):
        super().__init__(message)
        self.message = message


class Report(NamedTuple):
    id: int
    name: str
    group_id: int
    group_name: str


def version() -> str:
    """The library's version, as in its soname."""
    return _lib.vondrel_version().decode()


def _bytes(value) -> bytes:
    if isinstance(value, datetime.datetime):
        value = value.strftime("%Y-%m-%d %H:%M:%S")
    elif isinstance(value, datetime.date):
        value = value.isoformat()
    elif isinstance(value, bool):
        value = "1" if value else "0"
    return os.fsencode(value) if isinstance(value, os.PathLike) else str(value).encode("utf-8")


def _window_id(parent) -> int:
    """A QWidget (PyQt6), a QWindow, or a native window id as a number."""
    if parent is None:
        return 0
    if hasattr(parent, "winId"):
        return int(parent.winId())
    return int(parent)


class Host:
    """One report session on one database: the host object of the C interface."""

    def __init__(self, database: Union[str, os.PathLike], component_folder: Optional[Union[str, os.PathLike]] = None,
                 move_buttons: bool = True):
        """database: an SQLite file or a PostgreSQL conninfo / URI. component_folder: templates and
        plugins/ (default: the folder of libVondrel.so). move_buttons: whether the record-navigation
        buttons are enabled."""
        self._handle = _lib.vondrel_host_create()
        if not self._handle:
            raise Error("无法创建报表宿主对象")
        # ctypes callbacks must outlive their registration.
        self._message_callback = None
        self._shown_callback = None
        self.on_shown: Optional[Callable[["Host"], None]] = None
        self._check(_lib.vondrel_host_open_connection(self._handle, _bytes(os.fspath(database))))
        if component_folder is not None:
            self._check(_lib.vondrel_host_set_component_folder(self._handle, _bytes(os.fspath(component_folder))))
        self.move_buttons = move_buttons

    # -- lifetime ---------------------------------------------------------------------------------
    def close(self) -> None:
        handle, self._handle = getattr(self, "_handle", None), None
        if handle and _lib is not None:  # at interpreter exit the module may be gone first
            _lib.vondrel_host_destroy(handle)

    def __enter__(self) -> "Host":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self):
        self.close()

    # -- set-up -----------------------------------------------------------------------------------
    def login(self, fields: str = DEFAULT_LOGIN_FIELDS, **values) -> None:
        """Builds the login record from the field list and sets the given fields; values may be
        text, numbers or dates. Unknown fields and values of the wrong type raise Error."""
        if self._call(_lib.vondrel_host_create_login, _bytes(fields)) != 1:
            raise Error(self._last_error() or f"登录记录的字段表无效：{fields}")
        for name, value in values.items():
            self._call(_lib.vondrel_host_set_login_field, _bytes(name), _bytes(value))

    @property
    def move_buttons(self) -> bool:
        return self._move_buttons

    @move_buttons.setter
    def move_buttons(self, enabled: bool) -> None:
        self._move_buttons = bool(enabled)
        _lib.vondrel_host_set_move_buttons(self._handle, 1 if enabled else 0)

    def set_message_handler(self, handler: Optional[Callable[[str, str, int, int], Optional[int]]]) -> None:
        """Every message the viewer would show goes to handler(text, title, buttons, icon) instead; it
        returns one of OK, CANCEL, RETRY, YES, NO (None counts as OK). None restores the message boxes."""
        if handler is None:
            self._message_callback = None
            _lib.vondrel_host_set_message_handler(self._handle, _library.MESSAGE_HANDLER(), None)
            return

        def call(_user, text, title, buttons, icon):
            try:
                answer = handler(text.decode("utf-8"), title.decode("utf-8"), buttons, icon)
                return OK if answer is None else int(answer)
            except Exception:  # it must not unwind through the C caller: reported, and answered OK
                sys.excepthook(*sys.exc_info())
                return OK

        self._message_callback = _library.MESSAGE_HANDLER(call)
        _lib.vondrel_host_set_message_handler(self._handle, self._message_callback, None)

    # -- the catalogue ----------------------------------------------------------------------------
    def reports(self) -> List[Report]:
        """The catalogue's reports, groups and reports ordered by id."""
        listed = []

        def collect(_user, report_id, name, group_id, group_name):
            listed.append(Report(report_id, name.decode("utf-8"), group_id, group_name.decode("utf-8")))

        self._call(_lib.vondrel_host_list_reports, _library.REPORT_CALLBACK(collect), None)
        return listed

    # -- showing ----------------------------------------------------------------------------------
    def show(self, report_id: int, params: Optional[Mapping[str, object]] = None, parent=None) -> None:
        """Shows the report modally over `parent` (a PyQt6 widget or a native window id) and returns
        when the user has closed it. Raises Error when the report was refused or its window closed
        itself during setup (a plug-in or parameter failure), with the message the user saw."""
        _lib.vondrel_host_set_parent_window(self._handle, _window_id(parent))
        self._shown_callback = _library.SHOWN_HANDLER(self._shown)
        _lib.vondrel_host_set_shown_handler(self._handle, self._shown_callback, None)
        with self._parameters(params):
            result = _lib.vondrel_host_show_report(self._handle, int(report_id))
        message = self._last_error()
        if result != 1 or message:
            raise Error(message or f"报表 {report_id} 没有显示出来")

    def _shown(self, _user, _host):
        if self.on_shown is not None:
            try:
                self.on_shown(self)
            except Exception:  # it must not unwind through the C caller: reported, and the window closed
                sys.excepthook(*sys.exc_info())
                self.close_window()

    def save_window_image(self, path: Union[str, os.PathLike]) -> None:
        """While a report window is open (from on_shown, a message handler or a timer): saves it as PNG."""
        self._call(_lib.vondrel_host_save_window_image, _bytes(os.fspath(path)))

    def close_window(self) -> None:
        """Closes the open report window as its user would."""
        self._call(_lib.vondrel_host_close_window)

    # -- exporting --------------------------------------------------------------------------------
    def export(self, report_id: int, path: Union[str, os.PathLike], format: Optional[str] = None,
               params: Optional[Mapping[str, object]] = None, actions: Iterable[str] = ()) -> str:
        """Writes the report without a window: format "xls", "xlsx", "cll", "pdf", "png" or "json"
        (default: the file's extension). actions: toolbar keys ("movenext", "t_return") and
        "dblclick:ROW", run in order first. Returns the path; raises Error, leaving no file, otherwise."""
        path = os.fspath(path)
        _lib.vondrel_host_clear_actions(self._handle)
        try:
            for action in actions:
                self._call(_lib.vondrel_host_add_action, _bytes(action))
            with self._parameters(params):
                self._call(_lib.vondrel_host_export_report, int(report_id), _bytes(path),
                           None if format is None else _bytes(format))
        finally:
            _lib.vondrel_host_clear_actions(self._handle)
        return path

    # -- helpers ----------------------------------------------------------------------------------
    class _Parameters:
        def __init__(self, host: "Host", params):
            self._host, self._params = host, params

        def __enter__(self):
            _lib.vondrel_host_clear_parameters(self._host._handle)
            for name, value in (self._params or {}).items():
                self._host._call(_lib.vondrel_host_set_parameter, _bytes(name), _bytes(value))

        def __exit__(self, *exc):
            _lib.vondrel_host_clear_parameters(self._host._handle)

    def _parameters(self, params) -> "Host._Parameters":
        return Host._Parameters(self, params)

    def _last_error(self) -> str:
        return _lib.vondrel_host_last_error(self._handle).decode("utf-8")

    def _call(self, function, *args) -> int:
        result = function(self._handle, *args)
        if result == -1:
            raise Error(self._last_error())
        return result

    def _check(self, result: int) -> None:
        if result == -1:
            message = self._last_error()
            self.close()
            raise Error(message)
