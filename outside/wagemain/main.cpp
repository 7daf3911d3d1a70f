// wagemain.exe: the stand-in of the host wage program.
//
// Command line:
//   wagemain.exe [user] [module table] [function]
//     user          the logged-in user (default "系统管理员")
//   --exit-after <ms>   end by itself after that many milliseconds (demos, tests);
//                       the environment variable WAGE_HOST_EXIT_AFTER_MS does the same.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace {

int exitAfterMs(const QStringList &args)
{
    const int at = args.indexOf(QStringLiteral("--exit-after"));
    if (at >= 0 && at + 1 < args.size())
        return args.at(at + 1).toInt();
    return qEnvironmentVariableIntValue("WAGE_HOST_EXIT_AFTER_MS");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("MainForm"));
    window.setWindowTitle(QStringLiteral("计件工资管理系统"));
    window.setCentralWidget(new QLabel(QStringLiteral("计件工资管理系统"), &window));
    window.resize(1024, 700);
    window.show();
    if (const int ms = exitAfterMs(app.arguments()); ms > 0)
        QTimer::singleShot(ms, &app, &QApplication::quit);
    return app.exec();
}
