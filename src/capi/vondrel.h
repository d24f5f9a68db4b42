/* SPDX-FileCopyrightText: 2026 Vondrel authors
 * SPDX-License-Identifier: MIT
 *
 * The C interface of the report viewer, for hosts written in other languages (docs/embedding.md).
 * One opaque host object per report session; every function is safe to call with a null host (it
 * then does nothing and returns an error). Texts are UTF-8. Functions returning int give 1 for true,
 * 0 for false and -1 for an error whose description vondrel_host_last_error() returns.
 *
 * Threads: call from the thread the host's user interface runs on (the one that created the Qt
 * application, when the host has one). The library creates the Qt application when the process has
 * none, and uses the host's when it has one.
 */
#ifndef VONDREL_H
#define VONDREL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VONDREL_BUILDING)
#define VONDREL_API __attribute__((visibility("default")))
#else
#define VONDREL_API
#endif

typedef struct vondrel_host vondrel_host;

/* Buttons and icons of a message, and the answers a handler returns (same numbers as the platform's). */
enum {
    VONDREL_BUTTONS_OK = 0,
    VONDREL_BUTTONS_OK_CANCEL = 1,
    VONDREL_BUTTONS_YES_NO_CANCEL = 3,
    VONDREL_BUTTONS_YES_NO = 4
};
enum {
    VONDREL_ICON_NONE = 0,
    VONDREL_ICON_CRITICAL = 16,
    VONDREL_ICON_QUESTION = 32,
    VONDREL_ICON_WARNING = 48,
    VONDREL_ICON_INFORMATION = 64
};
enum {
    VONDREL_ANSWER_OK = 1,
    VONDREL_ANSWER_CANCEL = 2,
    VONDREL_ANSWER_RETRY = 4,
    VONDREL_ANSWER_YES = 6,
    VONDREL_ANSWER_NO = 7
};

/* Shows a message instead of the built-in message box; returns one of VONDREL_ANSWER_*. */
typedef int (*vondrel_message_handler)(void* user, const char* text, const char* title, int buttons,
                                       int icon);
/* Called once per catalogue report by vondrel_host_list_reports. */
typedef void (*vondrel_report_callback)(void* user, int id, const char* name, int group_id,
                                        const char* group_name);
/* Called when a shown report's window has loaded and is on screen, before the user can act. */
typedef void (*vondrel_shown_handler)(void* user, vondrel_host* host);

/* The library's version, "MAJOR.MINOR.PATCH" (the soname carries MAJOR.MINOR). */
VONDREL_API const char* vondrel_version(void);

VONDREL_API vondrel_host* vondrel_host_create(void);
VONDREL_API void vondrel_host_destroy(vondrel_host* host);
/* Description of the last error of this host object ("" when none): several messages are separated
 * by newlines. Valid until the next call. */
VONDREL_API const char* vondrel_host_last_error(const vondrel_host* host);

/* The database: an SQLite file path, or a PostgreSQL conninfo / postgresql:// URI. */
VONDREL_API int vondrel_host_open_connection(vondrel_host* host, const char* connection_string);
/* The login record: a field list such as "FUsername S20,FAcctName S40,Flogindate D,fuserid N",
 * then one value per field, given as text and converted to the field's type. */
VONDREL_API int vondrel_host_create_login(vondrel_host* host, const char* field_list);
VONDREL_API int vondrel_host_set_login_field(vondrel_host* host, const char* name, const char* value);
/* Whether the record-navigation buttons are enabled (default: disabled). */
VONDREL_API void vondrel_host_set_move_buttons(vondrel_host* host, int enabled);
/* The folder holding the report templates and plug-ins (default: the folder of libVondrel.so). */
VONDREL_API int vondrel_host_set_component_folder(vondrel_host* host, const char* folder);
/* Routes every message to handler (NULL restores the built-in message boxes). */
VONDREL_API void vondrel_host_set_message_handler(vondrel_host* host, vondrel_message_handler handler,
                                                  void* user);

/* Parameter values for Vondrel.SqlReport reports (name as the report's parameter, or its caption in
 * the parameter dialog when no parameter has that name; value as text, as "2024-03-01" or "3"). Once one is
 * set, shown and exported reports take them without a parameter dialog; a parameter not set takes the value
 * last used for that report in this process (as the dialog remembers it), else its default. A value the
 * report refuses stops its setup with a message. Setting a name again replaces its value. */
VONDREL_API int vondrel_host_set_parameter(vondrel_host* host, const char* name, const char* value);
VONDREL_API void vondrel_host_clear_parameters(vondrel_host* host);

/* Shows report report_id modally; 0 when its definition is refused (ids outside -32768..32767 too),
 * -1 when no window can be shown (no display, not the user interface's thread, or this host's report
 * window is still open: a call from one of its handlers). 1 once the window has closed. last_error() is ""
 * when the report was shown, else the last message put up before it could be (the refusal, or why
 * its window closed itself during setup). */
VONDREL_API int vondrel_host_show_report(vondrel_host* host, int report_id);
/* Makes the report window a modal child of the host's own top-level window (its native window id,
 * an X11 window or what QWidget::winId() gives): it stacks over it and centres on it. 0 = none. */
VONDREL_API void vondrel_host_set_parent_window(vondrel_host* host, unsigned long long native_window_id);
/* Called each time a shown report's window is on screen (NULL: no call). */
VONDREL_API void vondrel_host_set_shown_handler(vondrel_host* host, vondrel_shown_handler handler,
                                                void* user);
/* While a report window is open (from the shown handler, a message handler or a timer of the host):
 * saves it as a PNG picture, or closes it as the user would. 1 when done, -1 when no window is open
 * (or the picture could not be written). */
VONDREL_API int vondrel_host_save_window_image(vondrel_host* host, const char* png_path);
VONDREL_API int vondrel_host_close_window(vondrel_host* host);

/* Toolbar keys of the report window ("movenext", "t_return", ...) and "dblclick:ROW" (a double
 * click on grid row ROW, counting the header rows), run in order before each export. -1 for a
 * malformed action. A button the loaded window lacks or has disabled fails the export. */
VONDREL_API int vondrel_host_add_action(vondrel_host* host, const char* action);
VONDREL_API void vondrel_host_clear_actions(vondrel_host* host);
/* Exports report report_id to path without a window, as the window's export would write it: format
 * "xls", "xlsx", "cll", "pdf", "png" (first page) or "json" (the grid as shown), or NULL for the
 * file's extension. 1 when the file was written; -1 otherwise, with the reasons in last_error(), and
 * then no file of that name was created or changed. Messages are not shown. */
VONDREL_API int vondrel_host_export_report(vondrel_host* host, int report_id, const char* path,
                                           const char* format);
/* Calls callback once per report of the catalogue, groups and reports ordered by id (as
 * vondrel-host --list shows them). 1 when listed, -1 without a connection or on a database error. */
VONDREL_API int vondrel_host_list_reports(vondrel_host* host, vondrel_report_callback callback, void* user);

#ifdef __cplusplus
}
#endif

#endif /* VONDREL_H */
