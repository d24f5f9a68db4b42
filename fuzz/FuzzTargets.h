// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetXlsx.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace sheet::fuzz {

// What must hold for any input, whatever its bytes: a load either fails with a code, or gives a
// consistent document that survives a .cll round trip unchanged. Breaking it aborts, which is what
// a fuzzer (and the short replay in the unit tests) looks for.
inline void CheckLoaded(bool loaded, const SheetDocument& doc, const LoadError& error) {
    if (!loaded) {
        if (error.code.empty() || error.message.empty()) {
            std::abort();
        }
        return;
    }
    if (!doc.CheckConsistency()) {
        std::abort();
    }
    class Sink : public ByteSink {
    public:
        bool Write(std::string_view bytes) override {
            text.append(bytes);
            return true;
        }
        std::string text;
    } sink;
    LoadError again;
    SheetDocument back;
    if (!WriteCll(doc, sink, again) || !ReadCll(sink.text, "round-trip.cll", back, again) ||
        DumpSheet(back) != DumpSheet(doc)) {
        std::abort();
    }
}

inline int FuzzCll(const std::uint8_t* data, std::size_t size) {
    SheetDocument doc;
    LoadError error;
    const bool loaded =
        ReadCll(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.cll", doc, error);
    CheckLoaded(loaded, doc, error);
    return 0;
}

inline int FuzzXlsx(const std::uint8_t* data, std::size_t size) {
    SheetDocument doc;
    LoadError error;
    const bool loaded =
        ImportXlsxData(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.xlsx", doc, error);
    CheckLoaded(loaded, doc, error);
    return 0;
}

} // namespace sheet::fuzz
