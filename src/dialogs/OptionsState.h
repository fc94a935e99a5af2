#pragma once
// The Options dialog's state: what it shows, what Apply stores in memory,
// and what OK then carries out. The bar moves only at OK; the icon size
// waits for the next catalogue load.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/AppState.h"

namespace lark {

// Option buttons by their index; 5 does not exist.
enum OptionIndex : int {
    kOptAutoHide = 0,
    kOptFixed = 1,
    kOptTop = 2,
    kOptFloat = 3,
    kOptBottom = 4,
    kOptLarge = 6,
    kOptSmall = 7,
};

class OptionsState {
public:
    // Form load: the options from the settings, Apply disabled.
    void Load(const AppState& state);
    // A click on an option button: selects it within its frame, enables Apply.
    void Click(int option);
    bool Selected(int option) const;
    bool ApplyEnabled() const { return applyEnabled_; }

    // Stores the choices in memory (only while Apply is enabled).
    void Apply(AppState& state);

    struct OkResult {
        bool showConfiguredBar = false;
        std::optional<int32_t> command;  // 1 AutoHide or 2 Fixed
    };
    // Apply, then what the bar must do now that the dialog has closed.
    OkResult Ok(AppState& state);

    // Ctrl+Tab: the next tab, wrapping to the first (positions from 1).
    static int32_t NextTab(int32_t current, int32_t count);
    // The special folders an Auto Load button imports, in order.
    static std::vector<int32_t> AutoLoadFolders(int button);

private:
    int docking_ = kOptFloat;
    int visibility_ = kOptFixed;
    int dimension_ = kOptLarge;
    bool applyEnabled_ = false;
    int32_t loadedPosition_ = kBarFloating;
    bool autoHideChoice_ = false;
    bool positionChanged_ = false;
    bool autoHideChanged_ = false;
};

}  // namespace lark
