// Program entry (replaced by the real start-up order as the shell lands).
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Contas a Pagar"));
    label.show();
    return app.exec();
}
