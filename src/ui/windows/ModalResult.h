#pragma once

namespace trv {

// The results a modal window ends with, for the windows that tell "OK" from "Cancel".
// Inherited, so each window offers them under its own name (AsciiExportDialog::kResultOk).
struct ModalResult {
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
};

} // namespace trv
