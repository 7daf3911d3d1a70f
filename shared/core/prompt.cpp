#include "core/prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QVariant>

namespace wage {
namespace {

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

class MessageBoxPrompt : public Prompt {
public:
    void message(const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, dialogParent());
        box.exec();
    }
    void warning(const QString &text, const QString &caption) override
    {
        QMessageBox::warning(dialogParent(), caption, text, QMessageBox::Ok);
    }
    void information(const QString &text, const QString &caption) override
    {
        QMessageBox::information(dialogParent(), caption, text, QMessageBox::Ok);
    }
    void error(const QString &text, const QString &caption) override
    {
        QMessageBox::critical(dialogParent(), caption, text, QMessageBox::Ok);
    }
    bool question(const QString &text, const QString &caption) override
    {
        return QMessageBox::question(dialogParent(), caption, text, QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    }
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(dialogParent(), caption, dir, filter);
    }
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(dialogParent(), caption, dir, filter);
    }
    QStringList openFileNames(const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getOpenFileNames(dialogParent(), caption, dir, filter);
    }
};

Prompt *&localService()
{
    static Prompt *service = nullptr;
    return service;
}

} // namespace

// Host and plug-ins each link their own copy of this library: the service in force travels
// on the application object so that a test's script answers the plug-ins' boxes as well.
Prompt &prompt()
{
    if (auto *app = QCoreApplication::instance()) {
        const QVariant v = app->property("wage.prompt");
        if (v.isValid() && v.value<quintptr>() != 0)
            return *reinterpret_cast<Prompt *>(v.value<quintptr>());
    }
    if (localService())
        return *localService();
    static MessageBoxPrompt boxes;
    return boxes;
}

void setPrompt(Prompt *service)
{
    localService() = service;
    if (auto *app = QCoreApplication::instance())
        app->setProperty("wage.prompt", QVariant::fromValue(reinterpret_cast<quintptr>(service)));
}

void ScriptedPrompt::message(const QString &text) { shown.push_back({PromptKind::Message, {}, text}); }
void ScriptedPrompt::warning(const QString &text, const QString &caption) { shown.push_back({PromptKind::Warning, caption, text}); }
void ScriptedPrompt::information(const QString &text, const QString &caption) { shown.push_back({PromptKind::Information, caption, text}); }
void ScriptedPrompt::error(const QString &text, const QString &caption) { shown.push_back({PromptKind::Error, caption, text}); }

bool ScriptedPrompt::question(const QString &text, const QString &caption)
{
    shown.push_back({PromptKind::Question, caption, text});
    if (answers.isEmpty())
        return defaultAnswer;
    return answers.takeFirst();
}

QString ScriptedPrompt::openFileName(const QString &caption, const QString &, const QString &)
{
    shown.push_back({PromptKind::OpenFile, caption, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QString ScriptedPrompt::saveFileName(const QString &caption, const QString &, const QString &)
{
    shown.push_back({PromptKind::SaveFile, caption, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QStringList Prompt::openFileNames(const QString &caption, const QString &dir, const QString &filter)
{
    const QString file = openFileName(caption, dir, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QStringList ScriptedPrompt::openFileNames(const QString &caption, const QString &, const QString &)
{
    shown.push_back({PromptKind::OpenFile, caption, {}});
    return files.isEmpty() ? QStringList() : files.takeFirst().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList ScriptedPrompt::texts() const
{
    QStringList out;
    for (const auto &r : shown)
        out << r.text;
    return out;
}

bool ScriptedPrompt::saw(const QString &text) const
{
    for (const auto &r : shown)
        if (r.text == text)
            return true;
    return false;
}

} // namespace wage
