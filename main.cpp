#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    QWidget window;
    window.setWindowTitle(QApplication::applicationName());
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.resize(800, 600);
    window.show();
    return app.exec();
}
