#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName("Simulator");
    window.setWindowTitle("Ombrix Korvanta");
    window.resize(1024, 720);
    window.show();
    return app.exec();
}
