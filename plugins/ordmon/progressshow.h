#pragma once
// QProgressBar repaints at once on every visible change of its value, and a repaint of the
// window costs many times a row's statements. The long runs move their bars through this: the
// value is set as usual, the bar is painted with the rest of the window when pending messages
// next run (every 100 ms during the runs).
#include <QProgressBar>

namespace ordmon {

inline void showProgress(QProgressBar *bar, int value)
{
    if (!bar->updatesEnabled()) {
        bar->setValue(value);
        return;
    }
    bar->setUpdatesEnabled(false);
    bar->setValue(value);
    bar->setUpdatesEnabled(true);
}

} // namespace ordmon
