#pragma once
// The progress gauge of a long data operation over a known number of rows: the percentage is
// shown, and pending window messages run, only when it moves, so that a million rows cost a
// hundred redraws and not a million.

#include "ui/Ui.h"

#include <algorithm>

namespace ledra {

class ProgressGauge {
public:
    explicit ProgressGauge(Ui &ui, qint64 total = 0) : m_ui(ui), m_total(total) {}

    // Starts over for another pass and shows 0.
    void restart(qint64 total) {
        m_total = total;
        m_done = 0;
        m_lastPercent = -1;
        m_ui.progress(0);
    }

    void advance(qint64 n) {
        m_done += n;
        const int pc = m_total > 0 ? int(std::min<qint64>(100, m_done * 100 / m_total)) : 100;
        if (pc != m_lastPercent) {
            m_lastPercent = pc;
            m_ui.progress(pc);
            m_ui.processEvents();
        }
    }

private:
    Ui &m_ui;
    qint64 m_total;
    qint64 m_done = 0;
    int m_lastPercent = -1;
};

} // namespace ledra
