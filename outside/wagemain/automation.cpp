#include "automation.h"

#include "core/errlog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QVariant>
#include <QWidget>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace host {

namespace {

void out(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::vector<QByteArray> &savedArguments()
{
    static std::vector<QByteArray> args;
    return args;
}

void restartInPlace()
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::vector<QByteArray> &args = savedArguments();
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    execv(program.constData(), argv.data());
    // exec failed: the detached restart of the shared routine
    WriteErrLog(QStringLiteral("无法重新启动：") + QCoreApplication::applicationFilePath());
    _exit(1);
}

} // namespace

void AnswerPrompt::print(const QString &kind, const QString &caption, const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    out(QStringLiteral("%1[%2] %3").arg(kind, caption, t));
}

void AnswerPrompt::message(const QString &text)
{
    print(QStringLiteral("消息"), QApplication::applicationDisplayName(), text);
}

void AnswerPrompt::warning(const QString &text, const QString &caption)
{
    print(QStringLiteral("警告"), caption, text);
}

void AnswerPrompt::information(const QString &text, const QString &caption)
{
    print(QStringLiteral("信息"), caption, text);
}

void AnswerPrompt::error(const QString &text, const QString &caption)
{
    ++m_errors;
    print(QStringLiteral("错误"), caption, text);
}

bool AnswerPrompt::question(const QString &text, const QString &caption)
{
    print(QStringLiteral("询问"), caption, text + (m_yes ? QStringLiteral(" -> 是") : QStringLiteral(" -> 否")));
    return m_yes;
}

QString AnswerPrompt::openFileName(const QString &caption, const QString &, const QString &)
{
    print(QStringLiteral("打开文件"), caption, QStringLiteral("(取消)"));
    return QString();
}

QString AnswerPrompt::saveFileName(const QString &caption, const QString &, const QString &)
{
    print(QStringLiteral("保存文件"), caption, QStringLiteral("(取消)"));
    return QString();
}

bool parseAnswer(const QString &word, bool *yes)
{
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("yes") || w == QLatin1String("y") || w == QStringLiteral("是")) {
        *yes = true;
        return true;
    }
    if (w == QLatin1String("no") || w == QLatin1String("n") || w == QStringLiteral("否")) {
        *yes = false;
        return true;
    }
    return false;
}

QObject *findAutomationTarget(QWidget *mainWindow, const QString &name)
{
    auto usable = [](QObject *o) { return qobject_cast<QAbstractButton *>(o) || qobject_cast<QAction *>(o); };
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w == mainWindow || !w->isVisible())
            continue;
        if (w->objectName().compare(name, Qt::CaseInsensitive) == 0 && usable(w))
            return w;
        for (QObject *o : w->findChildren<QObject *>()) {
            if (o->objectName().compare(name, Qt::CaseInsensitive) == 0 && usable(o))
                return o;
        }
    }
    if (mainWindow) {
        for (QObject *o : mainWindow->findChildren<QObject *>()) {
            if (o->objectName().compare(name, Qt::CaseInsensitive) == 0 && usable(o))
                return o;
        }
    }
    return nullptr;
}

int clickInTurn(QWidget *mainWindow, const QStringList &names, const AnswerPrompt *prompt)
{
    for (const QString &raw : names) {
        const QString name = raw.trimmed();
        if (name.isEmpty())
            continue;
        QObject *target = findAutomationTarget(mainWindow, name);
        if (!target) {
            out(QStringLiteral("没有找到“%1”").arg(name));
            return 2;
        }
        const int errorsBefore = prompt ? prompt->errors() : 0;
        if (auto *button = qobject_cast<QAbstractButton *>(target)) {
            if (!button->isEnabled()) {
                out(QStringLiteral("“%1”不可用").arg(name));
                return 2;
            }
            out(QStringLiteral("单击 %1 (%2)").arg(name, button->text()));
            button->click();
        } else if (auto *action = qobject_cast<QAction *>(target)) {
            if (!action->isEnabled()) {
                out(QStringLiteral("“%1”不可用").arg(name));
                return 2;
            }
            out(QStringLiteral("单击 %1 (%2)").arg(name, action->text()));
            action->trigger();
        }
        QCoreApplication::processEvents();
        if (prompt && prompt->errors() > errorsBefore) {
            out(QStringLiteral("“%1”的处理出错").arg(name));
            return 3;
        }
    }
    return 0;
}

void installRestartInPlace(int argc, char **argv)
{
    std::vector<QByteArray> &args = savedArguments();
    args.clear();
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i]);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->setProperty("wage.restartHost", QVariant::fromValue(quintptr(&restartInPlace)));
}

void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace host
