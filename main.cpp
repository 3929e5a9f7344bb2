#include <QApplication>

#include <memory>

#include "CaptionButton.h"
#include "MessageBoxOperator.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    // The main window ends the run itself, after the instrument has said goodbye.
    QApplication::setQuitOnLastWindowClosed(false);

    TMessageBoxOperator messageBoxes;
    TCaptionButton::SetOperator(&messageBoxes);
    TQelStartup startup;
    startup.ExecutablePath = QApplication::applicationFilePath();
    startup.Arguments = QApplication::arguments().mid(1);
    startup.Operator = &messageBoxes;
    TQelGlobal global(startup);
    QelGlobal = &global;

    // The pictures outlive every window that paints them, though they are made after the windows.
    std::unique_ptr<TQelImage> images;

    // Hidden until the start-up message; it shows itself by the start-up mode.
    TQelMainForm mainForm(global);
    messageBoxes.SetParent(&mainForm);
    mainForm.CreateAbout();
    QObject::connect(&mainForm, &TQelMainForm::Closed, &app, &QApplication::quit);

    images = std::make_unique<TQelImage>();
    mainForm.SetImages(*images);

    global.SendToAll(UM_STARTUP, 0, 0);
    const int result = app.exec();
    QelGlobal = nullptr;
    return result;
}
