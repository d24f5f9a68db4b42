// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// The demo as the tests load it: its SQL scripts into a fresh database of either engine, and a host
// object on that database signed in as the demo user (张三, fuserid 1).

#include "hostobject/LoginRecord.h"
#include "hostobject/clsGridPrint.h"
#include "support/DbFixture.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace vondrel::test {

// A file of the source tree.
inline std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(VONDREL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The demo's catalogue, business data and reports, and with `withDrill` its drill link.
inline void LoadDemo(TestDatabase& db, Backend backend, bool withDrill) {
    const std::string engine = EngineOf(backend);
    for (const char* script : {"/01-catalogue.sql", "/02-data.sql", "/03-reports.sql"}) {
        db.Exec(ReadSource("demo/" + engine + script));
    }
    if (withDrill) {
        db.Exec(ReadSource("demo/" + engine + "/04-drill.sql"));
    }
}

// Signs the host in with the usual login record of the demo user, or of another user id.
inline void SignInDemoUser(QV_GridPrint::clsGridPrint& host, const std::string& userId = "1") {
    host.CreateRsLogin("FUsername S20,FAcctName S40,Flogindate D,fuserid N");
    QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "FUsername", "张三");
    QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "FAcctName", "演示账套");
    QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "Flogindate", "2024-04-01");
    QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "fuserid", userId);
}

} // namespace vondrel::test
