#include "sendmess.h"

#include "progress/tprogress.h"

#include <QApplication>
#include <QThread>

namespace smtpnote {
namespace {

ProgressRecorder &recorder()
{
    static ProgressRecorder r;
    return r;
}

// The display needs the caller's GUI thread; a caller without one (a console program, a
// worker thread) gets no display.
Tprogress *display()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    // Made on first use and kept as long as the library.
    static Tprogress *progress = new Tprogress();
    return progress;
}

} // namespace

void setProgressRecorder(ProgressRecorder r)
{
    recorder() = std::move(r);
}

void ShowProgress(int position, const QString &text)
{
    if (recorder())
        recorder()(position, kProgressTotal, text);
    if (Tprogress *p = display())
        p->showpress(position, kProgressTotal, text);
}

void CloseProgress(const QString &text)
{
    Tprogress *p = display();
    if (p && p->form())
        ShowProgress(kProgressTotal - 1, text);
}

} // namespace smtpnote
