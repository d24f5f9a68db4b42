/* SPDX-FileCopyrightText: 2026 Vondrel authors
 * SPDX-License-Identifier: MIT
 *
 * A C host: lists the catalogue, exports report 1, then shows it.
 *   embed <database> <export file> [picture.png: save the shown window there and close it]
 * Build: cc embed.c -I<source>/src -L<folder of libVondrel.so> -lVondrel
 */
#include "capi/vondrel.h"

#include <stdio.h>

/* [embedding: messages] */
static int ShowMessage(void* user, const char* text, const char* title, int buttons, int icon) {
    (void)user, (void)buttons, (void)icon;
    fprintf(stderr, "[%s] %s\n", title, text);
    return VONDREL_ANSWER_OK;
}
/* [/embedding] */

static void PrintReport(void* user, int id, const char* name, int group_id, const char* group_name) {
    (void)user;
    printf("%d %s (%d %s)\n", id, name, group_id, group_name);
}

static void SaveAndClose(void* picture, vondrel_host* host) {
    vondrel_host_save_window_image(host, (const char*)picture);
    vondrel_host_close_window(host);
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: embed <database> <export file> [picture.png]\n");
        return 2;
    }
    /* [embedding: create] */
    vondrel_host* host = vondrel_host_create();
    if (vondrel_host_open_connection(host, argv[1]) != 1) {
        fprintf(stderr, "%s\n", vondrel_host_last_error(host));
        vondrel_host_destroy(host);
        return 1;
    }
    vondrel_host_create_login(host, "FUsername S20,FAcctName S40,Flogindate D,fuserid N");
    vondrel_host_set_login_field(host, "FUsername", "张三");
    vondrel_host_set_login_field(host, "fuserid", "1");
    vondrel_host_set_move_buttons(host, 1);
    vondrel_host_set_message_handler(host, ShowMessage, NULL);
    /* [/embedding] */

    /* [embedding: list] */
    vondrel_host_list_reports(host, PrintReport, NULL);
    /* [/embedding] */

    /* [embedding: export] */
    vondrel_host_set_parameter(host, "fdatefrom", "2024-03-01");
    vondrel_host_set_parameter(host, "fdateto", "2024-03-31");
    if (vondrel_host_export_report(host, 1, argv[2], NULL) != 1) { /* format from the extension */
        fprintf(stderr, "导出失败：%s\n", vondrel_host_last_error(host));
    }
    /* [/embedding] */

    if (argc > 3) {
        vondrel_host_set_shown_handler(host, SaveAndClose, argv[3]);
    }
    /* [embedding: show] */
    int shown = vondrel_host_show_report(host, 1); /* returns when the user closes the window */
    if (shown != 1 || vondrel_host_last_error(host)[0] != '\0') {
        fprintf(stderr, "报表没有显示：%s\n", vondrel_host_last_error(host));
    }
    vondrel_host_destroy(host);
    /* [/embedding] */
    return shown == 1 ? 0 : 1;
}
