// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/PagePlan.h"

#include <memory>
#include <string>

class QPageLayout;

namespace sheet::qt {

// Writes a PDF straight from page plans: each page's content is made from its plan, compressed and
// written out before the next page comes, so memory stays flat however many pages there are. The
// faces are embedded at the end, each cut down to the glyphs the pages drew. Every byte goes through
// checked writes; once one fails the rest is skipped and Failure() says why.
class PdfWriter {
public:
    // `fd` is an empty file open for writing, left open. `layout` gives paper and margins; plans are
    // in device units of `dpi` from the top-left of the printable frame. Needs a QGuiApplication.
    PdfWriter(int fd, const QPageLayout& layout, int dpi);
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // One page after the others; false once writing failed. Plans come from one planner: their font
    // numbers run on from plan to plan.
    bool AddPage(const PagePlan& plan);
    // The embedded faces, the page tree, the document's title and the closing trailer.
    bool Finish(const std::string& title);

    // Why writing failed: errno of the first failed write, or 0 when a face could not be embedded
    // (then FailedFace() names it).
    int FailureErrno() const;
    const std::string& FailedFace() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace sheet::qt
