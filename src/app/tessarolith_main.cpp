#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Tessarolith　Ver.1.1.0"));
    placeholder.setWindowTitle(QStringLiteral("Tessarolith　Ver.1.1.0"));
    placeholder.resize(561, 480);
    placeholder.show();
    return app.exec();
}
