/* SPDX-FileCopyrightText: 2026 Vondrel authors
 * SPDX-License-Identifier: MIT
 *
 * Drives the component through its C interface only. Messages go to a handler that records them, so
 * the test needs no display. Usage: test_capi <demo database>
 */
#include "capi/vondrel.h"

#include <stdio.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition)                                                                                     \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                    \
            ++failures;                                                                                      \
        }                                                                                                    \
    } while (0)

struct Recorded {
    int count;
    char text[512];
    char title[128];
    int buttons;
};

static int Record(void* user, const char* text, const char* title, int buttons, int icon) {
    struct Recorded* recorded = (struct Recorded*)user;
    (void)icon;
    ++recorded->count;
    snprintf(recorded->text, sizeof recorded->text, "%s", text);
    snprintf(recorded->title, sizeof recorded->title, "%s", title);
    recorded->buttons = buttons;
    return VONDREL_ANSWER_OK;
}

static const char* const kRefused = "报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！";

int main(int argc, char** argv) {
    struct Recorded recorded;
    vondrel_host* host = NULL;
    if (argc < 2) {
        fprintf(stderr, "usage: test_capi <demo database>\n");
        return 2;
    }
    memset(&recorded, 0, sizeof recorded);

    CHECK(vondrel_host_show_report(NULL, 1) == -1);
    CHECK(strlen(vondrel_host_last_error(NULL)) > 0);

    host = vondrel_host_create();
    CHECK(host != NULL);
    vondrel_host_set_message_handler(host, Record, &recorded);

    /* A database that cannot be opened is an error with the reason, not a crash. */
    CHECK(vondrel_host_open_connection(host, "/nonexistent/folder/x.db") == -1);
    CHECK(strstr(vondrel_host_last_error(host), "无法打开 SQLite 数据库") != NULL);
    CHECK(vondrel_host_open_connection(host, argv[1]) == 1);
    CHECK(strcmp(vondrel_host_last_error(host), "") == 0);

    /* The login record, values given as text and converted to each field's type. */
    CHECK(vondrel_host_create_login(host, "FUsername S20,FAcctName S40,Flogindate D,fuserid N") == 1);
    CHECK(vondrel_host_set_login_field(host, "FUsername", "张三") == 1);
    CHECK(vondrel_host_set_login_field(host, "Flogindate", "2024-03-05") == 1);
    CHECK(vondrel_host_set_login_field(host, "fuserid", "7") == 1);
    CHECK(vondrel_host_set_login_field(host, "fuserid", "七") == -1);
    CHECK(vondrel_host_set_login_field(host, "nosuch", "1") == -1);
    CHECK(vondrel_host_create_login(host, "a S20,") == 0);

    /* Unknown ids and ids beyond 16 bits are refused with the catalogue message. */
    CHECK(vondrel_host_show_report(host, 999) == 0);
    CHECK(recorded.count == 1);
    CHECK(strcmp(recorded.text, kRefused) == 0);
    CHECK(strcmp(recorded.title, "Vondrel") == 0);
    CHECK(recorded.buttons == VONDREL_BUTTONS_OK);
    /* 65537 would wrap to report 1, which exists in the demo catalogue. */
    CHECK(vondrel_host_show_report(host, 65537) == 0);
    CHECK(recorded.count == 2);
    CHECK(strcmp(recorded.text, kRefused) == 0);

    vondrel_host_destroy(host);
    vondrel_host_destroy(NULL);
    if (failures == 0) {
        printf("C interface: all checks passed\n");
    }
    return failures == 0 ? 0 : 1;
}
