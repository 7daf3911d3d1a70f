#pragma once
// The steps of SendMess behind the exported C function.
#include "mailsettings.h"
#include "smtpclient.h"

#include <QString>

#include <functional>

namespace smtpnote {

// Connection and login failures give false after their step text; a failure while sending and
// bad arguments (the port, an address) raise WageError.
bool SendMessage(const MailArgs &args, const SmtpTimeouts &timeouts = {});

// The library's progress display: a step of the total 10 with its text.
void ShowProgress(int position, const QString &text);
// Closes the display when a failure ended the call while it was still showing.
void CloseProgress(const QString &text);

// Tests watch the steps here (and the display itself where a GUI runs).
using ProgressRecorder = std::function<void(int position, int maximum, const QString &text)>;
void setProgressRecorder(ProgressRecorder recorder);

inline constexpr int kProgressTotal = 10;

} // namespace smtpnote
