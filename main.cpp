#include <QApplication>
#include <QWidget>

#include "MessageBoxOperator.h"
#include "QelGlobals.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));

    TMessageBoxOperator messageBoxes;
    TQelStartup startup;
    startup.ExecutablePath = QApplication::applicationFilePath();
    startup.Arguments = QApplication::arguments().mid(1);
    startup.Operator = &messageBoxes;
    TQelGlobal global(startup);
    QelGlobal = &global;

    QWidget window;
    window.setWindowTitle(QApplication::applicationName());
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.resize(800, 600);
    window.show();
    messageBoxes.SetParent(&window);
    return app.exec();
}
