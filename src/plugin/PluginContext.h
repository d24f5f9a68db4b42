// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

namespace QV_GridPrint {

class clsGridPrint;
class ParameterPrompt;

// What a plug-in is given when it is made, so it never has to look for a collaborator later.
struct PluginContext {
    // The host object the instance is made for; null when the caller has none. The window hands it
    // over again as pGPrint, but a plug-in whose first answers (IsColsChange, SetFixedCols) depend on
    // its report needs it before that.
    clsGridPrint* host = nullptr;
    // The host's own answer to the plug-in's parameter and record dialogs; null: the plug-in shows
    // its own. Outlives the instance.
    ParameterPrompt* prompt = nullptr;
};

} // namespace QV_GridPrint
