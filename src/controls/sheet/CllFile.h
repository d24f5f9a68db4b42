// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>
#include <string_view>

namespace sheet {

// Where a writer puts its bytes. Write returns false when the bytes could not be stored; the writer
// then stops at once and reports the failure.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(std::string_view bytes) = 0;
};

// Parses the text of a .cll file (docs/cll-format.md) into `out`, which is replaced only on success.
// On failure returns false and fills `error` (fileName, line, column, cell, code, message).
bool ReadCll(std::string_view data, const std::string& fileName, SheetDocument& out, LoadError& error);
// Reads a whole file; files that cannot be opened or exceed the size limit fail like bad content.
bool ReadCllFile(const std::string& path, SheetDocument& out, LoadError& error);

// Streams the document as .cll text. Only styles that cells use are written, numbered in order of
// first use, so equal documents give equal files.
bool WriteCll(const SheetDocument& doc, ByteSink& sink, LoadError& error);
// Writes a temporary file beside `path` and renames it over `path`; on any failure the temporary file
// is removed and whatever was at `path` stays as it was.
bool WriteCllFile(const SheetDocument& doc, const std::string& path, LoadError& error);

} // namespace sheet
