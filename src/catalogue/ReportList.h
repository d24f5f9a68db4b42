// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ado {
class Connection;
}

namespace QV_GridPrint::catalogue {

// One report of the catalogue as a listing shows it. Texts of NULL fields are "".
struct ListedReport {
    long id = 0;              // qid
    std::string name;         // qrptname
    std::string templateFile; // qfmtfilename
    std::string className;    // qclsname
};

// A report group with its reports, ordered by id.
struct ListedGroup {
    long id = 0;      // qrptgrpid
    std::string name; // qrptgrpname
    std::vector<ListedReport> reports;
};

// The whole catalogue, groups ordered by id; reports of a group id that qv_rptgrp lacks are left out,
// as no window could list them. Errors of the database reach the caller (vb::Error).
std::vector<ListedGroup> ListCatalogue(const std::shared_ptr<ado::Connection>& cnn);

} // namespace QV_GridPrint::catalogue
