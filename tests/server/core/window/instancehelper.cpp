// A second program instance for the single-instance tests.
// Arguments: the instance key, then "once" (exit code 1 when it is the first instance, 0 when another
// runs) or "hold" (become the first instance, print "held" and run until killed).
#include "core/window/previnstance.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        return 2;
    }
    SetInstanceKey(arguments.at(1));
    const bool first = ActivatePrevInstance();
    if (arguments.at(2) != QStringLiteral("hold")) {
        return first ? 1 : 0;
    }
    QTextStream(stdout) << (first ? "held" : "refused") << Qt::endl;
    return app.exec();
}
