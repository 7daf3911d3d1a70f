// Appends "<working dir> <arguments>" to the file named by its first argument; the first run
// restarts itself through KillApplication(true), the restarted one ends normally.
#include "net/alert.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return 2;
    QFile log(args.first());
    int runs = 0;
    if (log.open(QIODevice::ReadOnly)) {
        runs = int(log.readAll().count('\n'));
        log.close();
    }
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return 2;
    log.write((QDir::currentPath() + QLatin1Char(' ') + args.join(QLatin1Char(' '))).toUtf8() + '\n');
    log.close();
    if (runs == 0)
        KillApplication(true);
    return 0;
}
