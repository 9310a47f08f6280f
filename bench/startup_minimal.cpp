// The floor of the start-up benchmark: the least a Qt Widgets program does
// to paint a main window.
#include "gui/app/FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setCentralWidget(new QLabel(QStringLiteral("Tallyport")));
    w.resize(1280, 800);
    exitAfterFirstPaint(&w);
    w.show();
    return app.exec();
}
