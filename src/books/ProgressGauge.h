#pragma once
// The progress gauge of a long data operation over a known number of rows: the percentage is
// shown, and pending window messages run, only when it moves, so that a million rows cost a
// hundred redraws and not a million. There too the gauge asks whether the person cancelled,
// which they can only while the work offers it (CancelOffer).

#include "ui/Ui.h"

#include <algorithm>

namespace ledra {

// The person cancelled the work: thrown by the gauge, caught as any SilentAbort by the event
// boundary, or first by the work that offered the cancel to say so.
class Cancelled : public SilentAbort {
public:
    const char *what() const noexcept override { return "Cancelled"; }
};

// Offers the cancel while it lives. Only for work that changes nothing before its end or
// undoes its changes when the gauge throws.
class CancelOffer {
public:
    explicit CancelOffer(Ui &ui) : m_ui(ui) { m_ui.offerCancel(true); }
    ~CancelOffer() { m_ui.offerCancel(false); }
    CancelOffer(const CancelOffer &) = delete;
    CancelOffer &operator=(const CancelOffer &) = delete;

private:
    Ui &m_ui;
};

class ProgressGauge {
public:
    // What a cancel does to the work: it stops it, or the work must never stop half way (the
    // recomputation of the balances) and goes on whatever the person asks.
    enum class OnCancel { Stop, Ignore };

    explicit ProgressGauge(Ui &ui, qint64 total = 0, OnCancel onCancel = OnCancel::Stop)
        : m_ui(ui), m_total(total), m_onCancel(onCancel) {}

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
            if (m_onCancel == OnCancel::Stop && m_ui.cancelRequested())
                throw Cancelled();
        }
    }

private:
    Ui &m_ui;
    qint64 m_total;
    OnCancel m_onCancel;
    qint64 m_done = 0;
    int m_lastPercent = -1;
};

} // namespace ledra
