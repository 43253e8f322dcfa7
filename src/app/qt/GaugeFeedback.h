#pragma once
// The progress of a long export in a dialog's gauge: each step sets the gauge and lets the
// window repaint, so the user sees the work advance.

#include "ui/Ui.h"

#include <QProgressBar>
#include <algorithm>
#include <functional>

namespace ledra {

inline std::function<void(int done, int total)> gaugeFeedback(QProgressBar *gauge, Ui &ui) {
    return [gauge, &ui](int done, int total) {
        gauge->setMaximum(std::max(1, total));
        gauge->setValue(done);
        ui.processEvents();
    };
}

} // namespace ledra
