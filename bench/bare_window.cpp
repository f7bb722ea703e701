// The yardstick of the start-up benchmark: the least Qt Widgets program that shows a window.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(480, 360);
    window.show();
    return QApplication::exec();
}
