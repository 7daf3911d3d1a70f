// update.exe: the online updater of the wage system.
#include "frm_main.h"

#include "core/appdir.h"

#include <QApplication>
#include <QDir>

int main(int argc, char **argv)
{
    // Started from a terminal without a display (an unattended run), the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvin软件升级程序"));
    // Packages are fetched into, and extracted over, the program directory.
    QDir::setCurrent(wage::programDir());

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();
    auto *window = new TFrm_Main(parameters);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setEcho(!parameters.isEmpty() && parameters.first().toUpper() == QLatin1String("AUTO"));
    window->show();
    return app.exec();
}
