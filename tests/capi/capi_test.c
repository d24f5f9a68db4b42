/* SPDX-FileCopyrightText: 2026 Vondrel authors
 * SPDX-License-Identifier: MIT
 *
 * Drives the component through its C interface only, as a host in another language would: no Qt
 * application of its own (the library makes one), no component folder given (the library's own
 * folder holds the demo templates in the build tree). Messages go to a handler that records them.
 * Usage: test_capi <demo database> <scratch folder> <library version>
 */
#include "capi/vondrel.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

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

static int Exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && info.st_size > 0;
}

struct Listed {
    int count;
    int firstId;
    char firstName[64];
    char firstGroup[64];
};

static void Collect(void* user, int id, const char* name, int group_id, const char* group_name) {
    struct Listed* listed = (struct Listed*)user;
    (void)group_id;
    if (listed->count++ == 0) {
        listed->firstId = id;
        snprintf(listed->firstName, sizeof listed->firstName, "%s", name);
        snprintf(listed->firstGroup, sizeof listed->firstGroup, "%s", group_name);
    }
}

/* Once the report is on screen: keep a picture of it and close it, as its user would. */
struct Shown {
    int count;
    char picture[512];
    int saved;
    int closed;
    int again;
};

static void OnShown(void* user, vondrel_host* host) {
    struct Shown* shown = (struct Shown*)user;
    ++shown->count;
    /* A second show from inside the first replaced the window still running, and crashed. */
    shown->again = vondrel_host_show_report(host, 2);
    shown->saved = vondrel_host_save_window_image(host, shown->picture);
    shown->closed = vondrel_host_close_window(host);
}

static const char* const kRefused = "报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！";

int main(int argc, char** argv) {
    struct Recorded recorded;
    vondrel_host* host = NULL;
    struct Listed listed;
    struct Shown shown;
    char path[512];
    if (argc < 4) {
        fprintf(stderr, "usage: test_capi <demo database> <scratch folder> <library version>\n");
        return 2;
    }
    memset(&recorded, 0, sizeof recorded);
    memset(&listed, 0, sizeof listed);
    memset(&shown, 0, sizeof shown);
    CHECK(strcmp(vondrel_version(), argv[3]) == 0);

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
    CHECK(strcmp(vondrel_host_last_error(host), kRefused) == 0);
    CHECK(recorded.count == 1);
    CHECK(strcmp(recorded.text, kRefused) == 0);
    CHECK(strcmp(recorded.title, "Vondrel") == 0);
    CHECK(recorded.buttons == VONDREL_BUTTONS_OK);
    /* 65537 would wrap to report 1, which exists in the demo catalogue. */
    CHECK(vondrel_host_show_report(host, 65537) == 0);
    CHECK(recorded.count == 2);
    CHECK(strcmp(recorded.text, kRefused) == 0);

    /* The catalogue in vondrel-host --list order. */
    CHECK(vondrel_host_list_reports(host, Collect, &listed) == 1);
    CHECK(listed.count == 6);
    CHECK(listed.firstId == 1);
    CHECK(strcmp(listed.firstName, "销售汇总") == 0);
    CHECK(strcmp(listed.firstGroup, "销售报表") == 0);

    /* A real report on screen: shown (its template found in the library's folder), pictured and
     * closed from the shown handler. Without an application made by the library this aborted. */
    snprintf(shown.picture, sizeof shown.picture, "%s/shown.png", argv[2]);
    vondrel_host_set_shown_handler(host, OnShown, &shown);
    CHECK(vondrel_host_set_parameter(host, "fdatefrom", "2024-03-01") == 1);
    recorded.count = 0;
    CHECK(vondrel_host_show_report(host, 1) == 1);
    CHECK(strcmp(vondrel_host_last_error(host), "") == 0);
    CHECK(shown.count == 1 && shown.saved == 1 && shown.closed == 1);
    CHECK(shown.again == -1);
    CHECK(Exists(shown.picture));
    CHECK(recorded.count == 0);
    CHECK(vondrel_host_close_window(host) == -1); /* no window any more */

    /* A value the report refuses: its window closes itself, and last_error says why. */
    CHECK(vondrel_host_set_parameter(host, "FDATETO", "2024-02-30") == 1);
    CHECK(vondrel_host_show_report(host, 1) == 1);
    CHECK(strstr(vondrel_host_last_error(host), "不是有效的日期") != NULL);
    CHECK(recorded.count == 1 && strstr(recorded.text, "不是有效的日期") != NULL);
    CHECK(shown.count == 1);

    /* Export: 1 only with the file written; -1 with the reason and no file otherwise. */
    snprintf(path, sizeof path, "%s/r1.xls", argv[2]);
    CHECK(vondrel_host_export_report(host, 1, path, NULL) == -1);
    CHECK(strstr(vondrel_host_last_error(host), "不是有效的日期") != NULL);
    CHECK(!Exists(path));
    vondrel_host_clear_parameters(host);
    CHECK(vondrel_host_export_report(host, 1, path, NULL) == 1);
    CHECK(strcmp(vondrel_host_last_error(host), "") == 0);
    CHECK(Exists(path));
    snprintf(path, sizeof path, "%s/r1.doc", argv[2]);
    CHECK(vondrel_host_export_report(host, 1, path, NULL) == -1);
    CHECK(strstr(vondrel_host_last_error(host), "不支持的导出格式：doc") != NULL);
    CHECK(!Exists(path));

    /* Actions: the navigation buttons are disabled unless the host enables them, and a disabled
     * button is not pressed in an export either. */
    CHECK(vondrel_host_add_action(host, "dblclick:x") == -1);
    CHECK(vondrel_host_add_action(host, "movenext") == 1);
    snprintf(path, sizeof path, "%s/r3.json", argv[2]);
    CHECK(vondrel_host_export_report(host, 3, path, "json") == -1);
    CHECK(strstr(vondrel_host_last_error(host), "已禁用") != NULL);
    CHECK(!Exists(path));
    vondrel_host_set_move_buttons(host, 1);
    CHECK(vondrel_host_export_report(host, 3, path, "json") == 1);
    CHECK(Exists(path));
    vondrel_host_clear_actions(host);

    vondrel_host_destroy(host);
    vondrel_host_destroy(NULL);
    if (failures == 0) {
        printf("C interface: all checks passed\n");
    }
    return failures == 0 ? 0 : 1;
}
