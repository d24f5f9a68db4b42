/* SPDX-FileCopyrightText: 2026 Vondrel authors
 * SPDX-License-Identifier: MIT
 *
 * The C interface of the report viewer, for hosts written in other languages. One opaque host object
 * per report session; every function is safe to call with a null host (it then does nothing and
 * returns an error). Texts are UTF-8. Functions returning int give 1 for true, 0 for false and -1 for
 * an error whose description vondrel_host_last_error() returns.
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

VONDREL_API vondrel_host* vondrel_host_create(void);
VONDREL_API void vondrel_host_destroy(vondrel_host* host);
/* Description of the last error of this host object ("" when none). Valid until the next call. */
VONDREL_API const char* vondrel_host_last_error(const vondrel_host* host);

/* The database: an SQLite file path, or a PostgreSQL conninfo / postgresql:// URI. */
VONDREL_API int vondrel_host_open_connection(vondrel_host* host, const char* connection_string);
/* The login record: a field list such as "FUsername S20,FAcctName S40,Flogindate D,fuserid N",
 * then one value per field, given as text and converted to the field's type. */
VONDREL_API int vondrel_host_create_login(vondrel_host* host, const char* field_list);
VONDREL_API int vondrel_host_set_login_field(vondrel_host* host, const char* name, const char* value);
/* Whether the record-navigation buttons are enabled (default: disabled). */
VONDREL_API void vondrel_host_set_move_buttons(vondrel_host* host, int enabled);
/* The folder holding the report templates and plug-ins (default: the program's folder). */
VONDREL_API int vondrel_host_set_component_folder(vondrel_host* host, const char* folder);
/* Routes every message to handler (NULL restores the built-in message boxes). */
VONDREL_API void vondrel_host_set_message_handler(vondrel_host* host, vondrel_message_handler handler,
                                                  void* user);
/* Shows report report_id modally; 0 when its definition is refused (ids outside -32768..32767 too). */
VONDREL_API int vondrel_host_show_report(vondrel_host* host, int report_id);

#ifdef __cplusplus
}
#endif

#endif /* VONDREL_H */
