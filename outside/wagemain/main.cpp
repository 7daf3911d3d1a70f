// wagemain.exe: the stand-in of the host wage program. It opens the wage database that
// Usertem.ini names, shows the modules that the plug-ins extend and loads Plugins/*.dll.
//
// Command line:
//   wagemain.exe [user [table [function]]] [options]
//     user                 the logged-in user (default "系统管理员")
//     table                a module to open at start: f_jijm, f_pici, f_ijpn or f_juar
//     function             a plug-in function of that module to open, e.g. 订单监控
//   --list-plugins         print the loaded plug-ins ("caption,table<TAB>file") and end
//   --exit-after <ms>      end by itself after that many milliseconds (demos, tests); the
//                          environment variable WAGE_HOST_EXIT_AFTER_MS does the same
//   --grab <file.png>      save pictures of the main window and of every other visible
//                          window (<file>-<class>.png) just before ending (after --exit-after
//                          or once the clicks of --do are done with --quit)
//   --program-dir <dir>    use another program directory (Usertem.ini, Plugins/, Error.Log)
//   --demo-database        fill the database with demonstration data first, when it does
//                          not hold the host's tables yet
//   --do NAME[,NAME...]    click these buttons, tool buttons, radio buttons or actions of the
//                          plug-in window opened from the command line, one after the other
//   --answer yes|no        answer every message box and question so, printing each to stdout
//   --quit                 end once the clicks are done: status 0, 2 when a named control is
//                          missing or disabled, 3 when opening or a handler failed
// Without a display the host runs on the offscreen platform and answers boxes with "no"
// unless --answer says otherwise. A plug-in that asks the host to restart gets the same
// command line again in the same process.
#include "automation.h"
#include "datamodule.h"
#include "mainform.h"
#include "moduleform.h"
#include "pluginhost.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/prompt.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct Options {
    QStringList positional;
    bool listPlugins = false;
    bool demoDatabase = false;
    bool quit = false;
    QString answer;
    QStringList clicks;
    int exitAfterMs = 0;
    QString grabFile;
    QString programDir;
};

Options parse(const QStringList &args)
{
    Options o;
    o.exitAfterMs = qEnvironmentVariableIntValue("WAGE_HOST_EXIT_AFTER_MS");
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const QString next = args.value(i + 1);
        if (a == QLatin1String("--list-plugins"))
            o.listPlugins = true;
        else if (a == QLatin1String("--demo-database"))
            o.demoDatabase = true;
        else if (a == QLatin1String("--exit-after"))
            o.exitAfterMs = next.toInt(), ++i;
        else if (a == QLatin1String("--grab"))
            o.grabFile = next, ++i;
        else if (a == QLatin1String("--program-dir"))
            o.programDir = next, ++i;
        else if (a == QLatin1String("--do"))
            o.clicks += next.split(QLatin1Char(','), Qt::SkipEmptyParts), ++i;
        else if (a == QLatin1String("--answer"))
            o.answer = next, ++i;
        else if (a == QLatin1String("--quit"))
            o.quit = true;
        else
            o.positional << a;
    }
    return o;
}

// The main window into `file`, every other visible window (plug-in windows) beside it as
// <file>-<window class>.png.
void grabWindows(QWidget *main, const QString &file)
{
    main->grab().save(file);
    const QString stem = file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? file.chopped(4) : file;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != main && w->isVisible() && w->width() > 0)
            w->grab().save(stem + QLatin1Char('-') + QLatin1String(w->metaObject()->className()) + QStringLiteral(".png"));
    }
}

} // namespace

int main(int argc, char **argv)
{
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    host::chooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const Options options = parse(app.arguments());
    host::installRestartInPlace(argc, argv);
    bool yes = false;
    if (!options.answer.isEmpty() && !host::parseAnswer(options.answer, &yes)) {
        std::fprintf(stderr, "--answer: yes or no\n");
        return 2;
    }
    // Boxes nobody sees are answered and printed instead.
    std::unique_ptr<host::AnswerPrompt> answers;
    if (!options.answer.isEmpty() || noDisplay || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        answers = std::make_unique<host::AnswerPrompt>(yes);
        wage::setPrompt(answers.get());
    }
    if (!options.programDir.isEmpty())
        wage::setProgramDir(options.programDir);
    const QString user = options.positional.value(0, QStringLiteral("系统管理员"));

    host::PluginHost plugins;
    plugins.loadAll(wage::programFile(QStringLiteral("Plugins")));
    if (options.listPlugins) {
        for (const host::LoadedPlugin &p : plugins.plugins())
            std::printf("%s\n", QStringLiteral("%1,%2\t%3").arg(p.caption, p.table, p.file).toUtf8().constData());
        return 0;
    }

    host::TDataModule1 dataModule;
    try {
        dataModule.openFromIni();
        if (options.demoDatabase)
            dataModule.createDemoDatabase();
    } catch (const std::exception &e) {
        wage::prompt().error(QStringLiteral("无法连接数据库：\r") + QString::fromUtf8(e.what()), QStringLiteral("提示"));
        return 1;
    }

    host::TMainForm window(&dataModule, plugins, user);
    window.show();
    int automationStatus = 0;
    bool opened = false;
    bool automated = false;
    // The clicks start once the plug-in window is open: after the opening call returned, or
    // inside a modal plug-in window's own loop.
    auto automate = [&] {
        if (automated)
            return;
        automated = true;
        // An error box while the module or the function opened counts as a failed handler.
        if (answers && answers->errors() > 0) {
            std::printf("%s\n", QStringLiteral("打开功能时出错").toUtf8().constData());
            automationStatus = 3;
        } else {
            automationStatus = host::clickInTurn(&window, options.clicks, answers.get());
        }
        if (options.quit) {
            if (!options.grabFile.isEmpty())
                grabWindows(&window, options.grabFile);
            window.closeModules();
            QApplication::exit(automationStatus);
        }
    };
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (opened || (modal && modal->inherits("wage::PluginForm"))) {
            poll.stop();
            automate();
        }
    });
    if (options.positional.size() > 1) {
        const QString table = options.positional.at(1);
        const QString function = options.positional.value(2);
        QTimer::singleShot(0, &window, [&, table, function] {
            if (!options.clicks.isEmpty() || options.quit)
                poll.start();
            host::TModuleForm *module = window.openModule(table);
            if (!module) {
                std::printf("%s\n", QStringLiteral("没有模块“%1”").arg(table).toUtf8().constData());
                automationStatus = 2;
            } else if (!function.isEmpty() && !module->openFunction(function)) {
                WriteErrLog(QStringLiteral("没有加载功能“%1”").arg(function));
                std::printf("%s\n", QStringLiteral("没有加载功能“%1”").arg(function).toUtf8().constData());
                automationStatus = 2;
            }
            if (automationStatus != 0) {
                poll.stop();
                if (options.quit) {
                    window.closeModules();
                    QApplication::exit(automationStatus);
                }
                return;
            }
            opened = true;
        });
    } else if (options.quit) {
        QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
    }
    if (options.exitAfterMs > 0) {
        QTimer::singleShot(options.exitAfterMs, &app, [&window, &options] {
            if (!options.grabFile.isEmpty())
                grabWindows(&window, options.grabFile);
            QApplication::exit(0);
        });
    }
    const int rc = app.exec();
    window.closeModules();
    // Windows left open (a progress display after a failed start-up) go before the application.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != &window && !w->parent())
            delete w;
    }
    std::fflush(stdout);
    wage::setPrompt(nullptr);
    return rc;
}
