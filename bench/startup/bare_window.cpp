// The yardstick for the start-up benchmark: the least a Qt 6 Widgets program
// does to show a window like ours, an empty main window whose content area is
// 400 x 464.
#include <QApplication>
#include <QMainWindow>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Window"));
    auto* content = new QWidget(&window);
    content->setFixedSize(400, 464);
    window.setCentralWidget(content);
    window.show();
    return app.exec();
}
