// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Output of the sheet: printer, PDF and PNG. Each page is painted (for a PDF: written) before the
// next one is laid out, so memory stays flat however many pages a report has. Files go through a
// temporary file beside the target and a rename, so a failure never leaves a half-written PDF or PNG
// under the user's name.
#include "controls/sheet/qt/SheetPrinter.h"

#include "controls/sheet/ReplaceFile.h"
#include "controls/sheet/SheetPages.h"
#include "controls/sheet/TempFile_p.h"
#include "controls/sheet/qt/PdfWriter_p.h"
#include "controls/sheet/qt/SheetPainter_p.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace sheet::qt {

namespace {

constexpr int kPdfDpi = 1200;
constexpr int kMinPngDpi = 10;
constexpr int kMaxPngDpi = 1200;

struct PaperId {
    Paper paper;
    QPageSize::PageSizeId id;
};
constexpr PaperId kPapers[] = {
    {Paper::A4, QPageSize::A4},       {Paper::A3, QPageSize::A3}, {Paper::A5, QPageSize::A5},
    {Paper::B4, QPageSize::B4},       {Paper::B5, QPageSize::B5}, {Paper::Letter, QPageSize::Letter},
    {Paper::Legal, QPageSize::Legal},
};

// Pages `first`..`last` (0-based) through a painter already begun on a paged device.
template <typename NextPage>
bool PaintPages(const SheetDocument& doc, const SheetPages& pages, QPainter& painter,
                const std::vector<int>& wanted, NextPage&& nextPage) {
    SheetPainter sheetPainter(doc, pages);
    PlanAhead plans(doc, pages, painter.device()->logicalDpiY(), wanted);
    bool first = true;
    for (std::size_t at = 0; at < wanted.size(); ++at) {
        if (!first && !nextPage()) {
            return false;
        }
        first = false;
        sheetPainter.PaintPlan(painter, plans.Next());
    }
    return true;
}

std::vector<int> AllPages(const SheetPages& pages) {
    std::vector<int> wanted(static_cast<std::size_t>(pages.PageCount()));
    for (std::size_t at = 0; at < wanted.size(); ++at) {
        wanted[at] = static_cast<int>(at);
    }
    return wanted;
}

} // namespace

QPageLayout PageLayoutOf(const PageSetup& setup) {
    QPageSize::PageSizeId id = QPageSize::A4;
    for (const PaperId& entry : kPapers) {
        if (entry.paper == setup.paper) {
            id = entry.id;
        }
    }
    return QPageLayout(
        QPageSize(id), setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(setup.marginLeftMm, setup.marginTopMm, setup.marginRightMm, setup.marginBottomMm),
        QPageLayout::Millimeter);
}

PageSetup PageSetupFrom(const QPageLayout& layout, const PageSetup& base) {
    PageSetup setup = base;
    const QPageSize::PageSizeId id = layout.pageSize().id();
    for (const PaperId& entry : kPapers) {
        if (entry.id == id) {
            setup.paper = entry.paper;
        }
    }
    setup.landscape = layout.orientation() == QPageLayout::Landscape;
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    setup.marginLeftMm = margins.left();
    setup.marginTopMm = margins.top();
    setup.marginRightMm = margins.right();
    setup.marginBottomMm = margins.bottom();
    // A layout the document cannot hold (margins past its limits) keeps the document's own margins.
    if (!setup.IsValid()) {
        setup.marginLeftMm = base.marginLeftMm;
        setup.marginTopMm = base.marginTopMm;
        setup.marginRightMm = base.marginRightMm;
        setup.marginBottomMm = base.marginBottomMm;
    }
    return setup;
}

int PageCount(const SheetDocument& doc) {
    return SheetPages(doc, FrameOf(doc.GetPageSetup())).PageCount();
}

bool PrintDocument(const SheetDocument& doc, QPrinter& printer, std::string& error) {
    // The printer's layout rules: the user may have changed paper or margins in the print dialog.
    const QRectF paintRect = printer.pageLayout().paintRect(QPageLayout::Point);
    const SheetPages pages(doc, PageFrame{paintRect.width(), paintRect.height()});
    std::vector<int> wanted;
    const QPageRanges ranges = printer.pageRanges();
    for (int index = 0; index < pages.PageCount(); ++index) {
        if (ranges.isEmpty() || ranges.contains(index + 1)) {
            wanted.push_back(index);
        }
    }
    if (wanted.empty()) {
        error = "所选的页码范围内没有可打印的页：报表共" + std::to_string(pages.PageCount()) + "页";
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = "无法开始打印：打印机“" + printer.printerName().toStdString() + "”不可用";
        return false;
    }
    const bool painted = PaintPages(doc, pages, painter, wanted, [&printer] { return printer.newPage(); });
    if (!painter.end() || !painted) {
        error = "打印未能完成：打印机“" + printer.printerName().toStdString() + "”拒绝了打印作业";
        return false;
    }
    return true;
}

bool ExportPdf(const SheetDocument& doc, const std::string& path, std::string& error) {
    TempFileBeside temp(path);
    if (temp.Create() < 0) {
        error = WriteFailureMessage("无法创建文件", path, errno);
        return false;
    }
    const QPageLayout layout = PageLayoutOf(doc.GetPageSetup());
    const QRectF paintRect = layout.paintRect(QPageLayout::Point);
    const SheetPages pages(doc, PageFrame{paintRect.width(), paintRect.height()});
    PdfWriter writer(temp.Fd(), layout, kPdfDpi);
    bool ok = true;
    {
        PlanAhead plans(doc, pages, kPdfDpi, AllPages(pages));
        for (int page = 0; ok && page < pages.PageCount(); ++page) {
            ok = writer.AddPage(plans.Next());
        }
    }
    ok = ok && writer.Finish(doc.Title());
    if (!ok) {
        error = writer.FailureErrno() != 0
                    ? WriteFailureMessage("写入文件失败", path, writer.FailureErrno())
                    : "写入文件失败“" + path + "”：无法嵌入字体“" + writer.FailedFace() + "”";
        return false;
    }
    if (const int err = temp.Commit(); err != 0) {
        error = WriteFailureMessage("无法替换文件", path, err);
        return false;
    }
    return true;
}

bool RenderPagePng(const SheetDocument& doc, int page, int dpi, const std::string& path, std::string& error) {
    if (dpi < kMinPngDpi || dpi > kMaxPngDpi) {
        error = "分辨率必须在" + std::to_string(kMinPngDpi) + "到" + std::to_string(kMaxPngDpi) + "之间";
        return false;
    }
    const PageSetup& setup = doc.GetPageSetup();
    const SheetPages pages(doc, FrameOf(setup));
    if (page < 1 || page > pages.PageCount()) {
        error = "第" + std::to_string(page) + "页不存在：报表共" + std::to_string(pages.PageCount()) + "页";
        return false;
    }
    double widthMm = 0, heightMm = 0;
    PaperSizeMm(setup.paper, widthMm, heightMm);
    if (setup.landscape) {
        std::swap(widthMm, heightMm);
    }
    const double devPerMm = dpi / 25.4;
    QImage image(static_cast<int>(std::lround(widthMm * devPerMm)),
                 static_cast<int>(std::lround(heightMm * devPerMm)), QImage::Format_RGB32);
    if (image.isNull()) {
        error = "图像太大，无法在内存中生成";
        return false;
    }
    // The image's own resolution is what the painter converts points with (logicalDpi).
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(setup.marginLeftMm * devPerMm, setup.marginTopMm * devPerMm);
        SheetPainter(doc, pages).PaintPage(painter, page - 1);
    }
    return SavePng(image, path, error);
}

bool SavePng(const QImage& image, const std::string& path, std::string& error) {
    // Encoded in memory and written with every byte checked: QImage::save drops a failed last flush.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        error = WriteFailureMessage("写入文件失败", path, ENOMEM);
        return false;
    }
    return ReplaceFileContents(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                               error);
}

} // namespace sheet::qt
