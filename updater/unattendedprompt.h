#pragma once
// The message service of an unattended run: nobody sees a box, so every message is written to
// standard output and Error.Log at once and every question takes its default answer.
#include "core/prompt.h"

namespace updater {

class UnattendedPrompt : public wage::Prompt {
public:
    void message(const QString &text) override;
    void warning(const QString &text, const QString &caption) override;
    void information(const QString &text, const QString &caption) override;
    void error(const QString &text, const QString &caption) override;
    // Yes, the default button of the system's questions.
    bool question(const QString &text, const QString &caption) override;
    // No file can be chosen: cancelled.
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    bool unattended() const override { return true; }

private:
    void write(const QString &caption, const QString &text, const QString &answer = QString());
};

} // namespace updater
