// update.exe: the online updater of the wage system.
#include "frm_main.h"
#include "unattendedprompt.h"

#include "core/appdir.h"
#include "core/prompt.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

int main(int argc, char **argv)
{
    // Started from a terminal without a display (an unattended run), the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The application title; set as the name, not the display name, which the window system
    // would append to every window caption.
    QApplication::setApplicationName(QStringLiteral("Quorvin软件升级程序"));
    // Packages are fetched into, and extracted over, the program directory.
    QDir::setCurrent(wage::programDir());

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();
    // "AUTO" without a display: nobody can answer a box, so every message goes to standard
    // output and Error.Log and is answered with its default, and the run ends with a status.
    const bool automatic = !parameters.isEmpty() && parameters.first().toUpper() == QLatin1String("AUTO");
    const bool noDisplay = QGuiApplication::platformName() == QLatin1String("offscreen")
        || QGuiApplication::platformName() == QLatin1String("minimal");
    updater::UnattendedPrompt unattendedPrompt;
    if (automatic && noDisplay)
        wage::setPrompt(&unattendedPrompt);
    auto *window = new TFrm_Main(parameters);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setUnattended(automatic && noDisplay);
    window->show();
    const int status = app.exec();
    wage::setPrompt(nullptr);
    return status;
}
