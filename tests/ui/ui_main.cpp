// Test entry for the window tests: the program's own application object on the offscreen platform.
#include "ui/application.h"

#include <QtTest>

int RunMainWindowTests(int argc, char **argv);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    velmora::Application application(argc, argv);
    return RunMainWindowTests(argc, argv);
}
