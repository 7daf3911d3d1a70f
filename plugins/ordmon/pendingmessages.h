#pragma once
// "Let pending window messages run" inside the long runs: at most every 100 ms, so that the
// pause button and scrolling stay live while the window is not repainted after every row
// (a repaint of the grids costs more than a row's statements).
#include <QCoreApplication>
#include <QElapsedTimer>

namespace ordmon {

inline void letMessagesRun(bool now = false)
{
    static QElapsedTimer last;
    if (now || !last.isValid() || last.elapsed() >= 100) {
        QCoreApplication::processEvents();
        last.restart();
    }
}

} // namespace ordmon
