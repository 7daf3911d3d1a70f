#pragma once
// Unattended runs of the host: answering every box from the command line while printing it,
// clicking named controls of a plug-in window one after the other, and restarting in place
// (same process, same command line) when a plug-in asks the host to restart.
#include "core/prompt.h"

#include <QStringList>

class QObject;
class QWidget;

namespace host {

// Prints each box as "[caption] text" to standard output and answers questions with the
// default; file dialogs are cancelled. Counts the error boxes (a failed handler shows one).
class AnswerPrompt : public wage::Prompt {
public:
    explicit AnswerPrompt(bool yes) : m_yes(yes) {}
    void message(const QString &text) override;
    void warning(const QString &text, const QString &caption) override;
    void information(const QString &text, const QString &caption) override;
    void error(const QString &text, const QString &caption) override;
    bool question(const QString &text, const QString &caption) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    bool unattended() const override { return true; }
    int errors() const { return m_errors; }

private:
    void print(const QString &kind, const QString &caption, const QString &text);
    bool m_yes;
    int m_errors = 0;
};

// "yes"/"no" (also 是/否, y/n, any case) -> answer; false when the word is neither.
bool parseAnswer(const QString &word, bool *yes);

// The control or action `name` (without regard to case) in the plug-in windows: the visible
// top-level windows other than `mainWindow` first, then the main window itself (docked
// plug-ins). nullptr when none.
QObject *findAutomationTarget(QWidget *mainWindow, const QString &name);

// Clicks each named object in turn; each click returns once its handler (and any run it
// started) has finished. Returns 0, 2 when a name is missing or its control is disabled, 3 when
// a handler showed an error box (counted by `prompt` when given). Progress goes to stdout.
int clickInTurn(QWidget *mainWindow, const QStringList &names, const AnswerPrompt *prompt);

// Makes a plug-in's restart request start this program again in the same process with the
// same command line (the caller's exit status stays that of the restarted run).
void installRestartInPlace(int argc, char **argv);

// No display: the offscreen platform, unless a platform was chosen.
void chooseOffscreenWithoutDisplay();

} // namespace host
