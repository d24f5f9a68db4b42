// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/qt/ReportFonts.h"

#include <mutex>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace sheet::qt {

namespace {

// The first installed face of the candidates, or an empty string.
QString FirstInstalled(const QStringList& families, const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        if (families.contains(candidate, Qt::CaseInsensitive)) {
            return candidate;
        }
    }
    return {};
}

} // namespace

void InstallReportFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList families = QFontDatabase::families();
        // The derived faces first: stock Noto makes PDF text extract as radicals (月 as U+2F49).
        const QString song = FirstInstalled(
            families, {"Vondrel Song", "Noto Serif CJK SC", "AR PL UMing CN", "Noto Sans CJK SC"});
        const QString hei = FirstInstalled(
            families, {"Vondrel Hei", "Noto Sans CJK SC", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei"});
        const QString kai = FirstInstalled(
            families, {"AR PL UKai CN", "AR PL UMing CN", "Vondrel Song", "Noto Serif CJK SC"});
        const struct {
            const char* name;
            const QString& face;
        } kMap[] = {
            {"宋体", song},    {"SimSun", song},     {"新宋体", song},     {"NSimSun", song},
            {"黑体", hei},     {"SimHei", hei},      {"微软雅黑", hei},    {"Microsoft YaHei", hei},
            {"楷体", kai},     {"KaiTi", kai},       {"楷体_GB2312", kai}, {"仿宋", kai},
            {"FangSong", kai}, {"仿宋_GB2312", kai},
        };
        for (const auto& entry : kMap) {
            if (!entry.face.isEmpty()) {
                QFont::insertSubstitution(QString::fromUtf8(entry.name), entry.face);
            }
        }
    });
}

QString ResolvedFamily(const QString& faceName) {
    InstallReportFonts();
    return QFontInfo(QFont(faceName)).family();
}

} // namespace sheet::qt
