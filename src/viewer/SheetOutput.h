// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

namespace sheet {
class SheetDocument;
}

namespace QV_GridPrint {

// How a print, preview or page set-up ended. Failed carries a description the caller can show.
enum class OutputResult { Done, Cancelled, Failed };
struct OutputOutcome {
    OutputResult result = OutputResult::Done;
    std::string error;
};

// Where the report window sends its print sheet. The Qt implementation (viewer/qt/QtSheetOutput.h)
// shows the platform's dialogs; tests script the outcomes; a run nobody watches refuses.
class SheetOutput {
public:
    virtual ~SheetOutput() = default;

    // Shows the print dialog, then prints the document's pages to the chosen printer.
    virtual OutputOutcome PrintSheet(const sheet::SheetDocument& doc) = 0;
    // Shows a modal print preview of the pages (zoom, paging, printing from it).
    virtual OutputOutcome PreviewSheet(const sheet::SheetDocument& doc) = 0;
    // Lets the user choose paper, orientation and margins and keeps the choice in the document's page
    // set-up.
    virtual OutputOutcome PageSetupDialog(sheet::SheetDocument& doc) = 0;
};

// The output of a run without a user (batch mode, benchmarks): every call fails with `reason`.
class RefusedSheetOutput final : public SheetOutput {
public:
    explicit RefusedSheetOutput(std::string reason) : m_reason(std::move(reason)) {}
    OutputOutcome PrintSheet(const sheet::SheetDocument&) override { return Refused(); }
    OutputOutcome PreviewSheet(const sheet::SheetDocument&) override { return Refused(); }
    OutputOutcome PageSetupDialog(sheet::SheetDocument&) override { return Refused(); }

private:
    OutputOutcome Refused() const { return {OutputResult::Failed, m_reason}; }
    std::string m_reason;
};

} // namespace QV_GridPrint
