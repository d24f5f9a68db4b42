// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "catalogue/CatalogueSql.h"

#include "ado/SqlText.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

#include <cmath>

namespace QV_GridPrint::catalogue {
namespace {

std::string Num(long value) {
    return std::to_string(value);
}

std::string User(const vb::Variant& userId) {
    return ado::SqlNumber(userId, "登录记录的用户号 fuserid");
}

// Widths are doubles written with at most 15 significant digits and no decimal point when whole.
std::string Width(double widthPx) {
    if (!std::isfinite(widthPx)) {
        throw vb::Error(vb::kErrOverflow, "列宽不是有效的数字，不能写入 SQL 语句");
    }
    return vb::NumberText(widthPx, 15);
}

} // namespace

std::string SelectReportById(std::int16_t reportId) {
    return "select * from qv_report where qid=" + Num(reportId);
}

std::string SelectReportByIdForDrill(std::int16_t reportId) {
    return "SELECT * FROM QV_REPORT WHERE qid=" + Num(reportId);
}

std::string SelectReportByGroupAndName(std::int16_t groupId, std::string_view reportName) {
    return "select * from qv_report where qrptgrpid=" + Num(groupId) +
           " and qrptname=" + ado::SqlQuote(reportName);
}

std::string SelectReportNamesOfGroup(std::int16_t groupId) {
    return "SELECT qrptname FROM qv_REPORT WHERE qRPTGRPID=" + Num(groupId) + " ORDER BY qRPTNAME ";
}

std::string SelectGroup(std::int16_t groupId) {
    return "select * from qv_rptgrp where qrptgrpid=" + Num(groupId);
}

std::string SelectAllGroups() {
    return "select * from qv_rptgrp order by qrptgrpid";
}

std::string SelectAllReports() {
    return "select * from qv_report order by qrptgrpid, qid";
}

std::string SelectDrillLinksOfParent(std::int16_t reportId) {
    return "select * from qv_rptdetail where qrptparentid=" + Num(reportId);
}

std::string SelectDrillLinksOfChild(std::int16_t reportId) {
    return "select * from qv_rptdetail where qrptchildid=" + Num(reportId);
}

std::string CountReportParameters(std::int16_t reportId) {
    return "select count(*) from qv_rptpara where qid=" + Num(reportId);
}

std::string SelectOverridesOfColumn(std::int16_t reportId, long column) {
    return "select * from QV_RptChangeColFormat where frptid=" + Num(reportId) + " and fcol=" + Num(column);
}

std::string SelectOverridesOfUser(const vb::Variant& userId, std::int16_t reportId) {
    return "select * from qv_rptchangecolformat where fuserid=" + User(userId) +
           " and frptid=" + Num(reportId) + " order by fcol";
}

std::string SelectOverridesOfUserColumn(const vb::Variant& userId, long column, std::int16_t reportId) {
    return "select * from QV_RptChangeColFormat where fuserid=" + User(userId) + " and fcol=" + Num(column) +
           " and frptid=" + Num(reportId);
}

std::string InsertFixedColumnOverride(const vb::Variant& userId, std::int16_t reportId, long column,
                                      std::int16_t begRow, std::int16_t endRow, double widthPx,
                                      std::string_view caption) {
    return "insert into QV_RptChangeColFormat(fuserid,fischange,frptid,fcol,fbegrow,fendrow,fwidth,fcaption) "
           "values(" +
           User(userId) + ",0," + Num(reportId) + "," + Num(column) + "," + Num(begRow) + "," + Num(endRow) +
           "," + Width(widthPx) + "," + ado::SqlQuote(caption) + ")";
}

std::string UpdateOverrideWidth(double widthPx, const vb::Variant& userId, std::int16_t reportId,
                                long column) {
    return "update qv_rptchangecolformat set fwidth=" + Width(widthPx) + " where fuserid=" + User(userId) +
           " and frptid=" + Num(reportId) + " and fcol=" + Num(column);
}

std::string RewriteFixedColumnOverride(const vb::Variant& userId, std::int16_t reportId, long column,
                                       std::int16_t begRow, std::int16_t endRow, double widthPx,
                                       std::string_view caption) {
    return "update qv_rptchangecolformat set fbegrow=" + Num(begRow) + ",fendrow=" + Num(endRow) +
           ",fwidth=" + Width(widthPx) + ",fcaption=" + ado::SqlQuote(caption) +
           " where fuserid=" + User(userId) + " and frptid=" + Num(reportId) + " and fcol=" + Num(column) +
           " and (fischange is null or fischange<>1)";
}

std::string DeleteOverridesOfReport(std::int16_t reportId) {
    return "delete from QV_RptChangeColFormat where frptid=" + Num(reportId);
}

std::string UpdateOverrideCaptionAndDecimals(long decimals, std::string_view caption, std::int16_t reportId,
                                             long column) {
    return "update qv_rptchangecolformat set fdataformat=" + Num(decimals) +
           ",fcaption=" + ado::SqlQuote(caption) + " where frptid=" + Num(reportId) +
           " and fcol=" + Num(column);
}

} // namespace QV_GridPrint::catalogue
