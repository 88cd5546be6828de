// A window with one tab per argument, standing in for a tabbed terminal. It
// says "current <title>" on standard output whenever another tab comes to
// the front, so a test can see what was pressed.
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTabWidget tabs;
    for (int index = 1; index < argc; ++index) {
        tabs.addTab(new QLabel(QString::fromLocal8Bit(argv[index])),
                    QString::fromLocal8Bit(argv[index]));
    }
    QObject::connect(&tabs, &QTabWidget::currentChanged, [&tabs](int index) {
        std::printf("current %s\n", qPrintable(tabs.tabText(index)));
        std::fflush(stdout);
    });
    tabs.show();
    std::printf("shown\n");
    std::fflush(stdout);
    return application.exec();
}
