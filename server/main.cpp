#include "core/window/program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Program program(ProgramOptions::FromEnvironment());
    if (!program.Start(QCoreApplication::arguments())) {
        return program.ExitCode();
    }
    return app.exec();
}
