// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>

class QImage;
class QPageLayout;
class QPrinter;

namespace sheet::qt {

// The document's page set-up (paper, orientation, margins) as a Qt page layout, and back: the paper,
// orientation and margins the user chose in a dialog, the rest of `base` (scaling, fitting,
// centring) kept. A paper the document has no name for keeps base's paper; margins past the
// document's limits keep base's margins.
// Painting (PrintDocument, ExportPdf, RenderPagePng) needs a QGuiApplication; PageCount does not.
QPageLayout PageLayoutOf(const PageSetup& setup);
PageSetup PageSetupFrom(const QPageLayout& layout, const PageSetup& base);

// Number of pages the document prints on with its own page set-up.
int PageCount(const SheetDocument& doc);

// Paints the document's pages on the printer with the printer's current page layout (callers set
// it from the document with PageLayoutOf first), honouring the printer's page range. False with a
// description in `error` when the printer cannot be painted on.
bool PrintDocument(const SheetDocument& doc, QPrinter& printer, std::string& error);

// Every page as one PDF with its fonts embedded, written through a temporary file in the target
// folder and renamed into place: on failure no file of that name was created or changed.
bool ExportPdf(const SheetDocument& doc, const std::string& path, std::string& error);

// Page `page` (1-based) as a PNG image at `dpi`, written the same safe way.
bool RenderPagePng(const SheetDocument& doc, int page, int dpi, const std::string& path, std::string& error);
// Any picture (a window's screenshot) as a PNG file, written the same safe way.
bool SavePng(const QImage& image, const std::string& path, std::string& error);

} // namespace sheet::qt
