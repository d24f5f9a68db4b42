// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "catalogue/ReportList.h"

#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "vb/Conversion.h"

#include <map>

namespace QV_GridPrint::catalogue {
namespace {

std::string Text(const ado::Recordset& rs, const char* name) {
    const vb::Variant value = rs.Fields(name).Value();
    return value.IsNull() ? std::string() : vb::CStr(value);
}

long Number(const ado::Recordset& rs, const char* name) {
    const vb::Variant value = rs.Fields(name).Value();
    return value.IsNull() ? 0 : vb::CLng(value);
}

} // namespace

std::vector<ListedGroup> ListCatalogue(const std::shared_ptr<ado::Connection>& cnn) {
    auto reports = ado::Recordset::Create();
    reports->Open(SelectAllReports(), cnn);
    std::map<long, std::vector<ListedReport>> byGroup;
    for (; !reports->IsEOF(); reports->MoveNext()) {
        byGroup[Number(*reports, "qrptgrpid")].push_back({Number(*reports, "qid"), Text(*reports, "qrptname"),
                                                          Text(*reports, "qfmtfilename"),
                                                          Text(*reports, "qclsname")});
    }
    auto groups = ado::Recordset::Create();
    groups->Open(SelectAllGroups(), cnn);
    std::vector<ListedGroup> listed;
    for (; !groups->IsEOF(); groups->MoveNext()) {
        ListedGroup group{Number(*groups, "qrptgrpid"), Text(*groups, "qrptgrpname"), {}};
        if (auto found = byGroup.find(group.id); found != byGroup.end()) {
            group.reports = std::move(found->second);
        }
        listed.push_back(std::move(group));
    }
    return listed;
}

} // namespace QV_GridPrint::catalogue
