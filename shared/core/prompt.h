#pragma once
// The one replaceable service behind every message box, question and file dialog of the
// system, so that tests answer them from a script and read what was shown.
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace wage {

enum class PromptKind { Message, Warning, Question, Error, Information, OpenFile, SaveFile };

struct PromptRecord {
    PromptKind kind;
    QString caption;
    QString text;
};

class Prompt {
public:
    virtual ~Prompt() = default;
    // Plain box: the text only, an OK button.
    virtual void message(const QString &text) = 0;
    // Warning icon, one OK button.
    virtual void warning(const QString &text, const QString &caption) = 0;
    // Information icon, one OK button.
    virtual void information(const QString &text, const QString &caption) = 0;
    // Error icon, one OK button.
    virtual void error(const QString &text, const QString &caption) = 0;
    // Yes/No question; true for Yes.
    virtual bool question(const QString &text, const QString &caption) = 0;
    // File dialogs; empty when cancelled.
    virtual QString openFileName(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &dir, const QString &filter) = 0;
    // Several files at once; empty when cancelled. By default one file through openFileName.
    virtual QStringList openFileNames(const QString &caption, const QString &dir, const QString &filter);
    // True when nobody watches the screen: messages that would go to a window of their own
    // (the outside alert DLL) come through this service instead, so they reach the run's output.
    virtual bool unattended() const { return false; }
};

// The service in force for the whole process (host and plug-ins share it).
Prompt &prompt();
// Replaces the service; nullptr restores the message boxes. The caller keeps ownership.
void setPrompt(Prompt *service);

// The caption of the updater's own boxes.
inline QString systemCaption() { return QStringLiteral("系统提示"); }

// Answers from a script and records everything shown; questions without a scripted answer
// are answered by `defaultAnswer`, file dialogs without one are cancelled.
class ScriptedPrompt : public Prompt {
public:
    void message(const QString &text) override;
    void warning(const QString &text, const QString &caption) override;
    void information(const QString &text, const QString &caption) override;
    void error(const QString &text, const QString &caption) override;
    bool question(const QString &text, const QString &caption) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    // The next scripted entry, its file names separated by line breaks.
    QStringList openFileNames(const QString &caption, const QString &dir, const QString &filter) override;

    QVector<PromptRecord> shown;
    QVector<bool> answers;
    QStringList files;
    bool defaultAnswer = true;

    QStringList texts() const;
    bool saw(const QString &text) const;
};

// Installs a ScriptedPrompt for the lifetime of the object.
class ScopedScriptedPrompt : public ScriptedPrompt {
public:
    ScopedScriptedPrompt() { setPrompt(this); }
    ~ScopedScriptedPrompt() override { setPrompt(nullptr); }
};

} // namespace wage
