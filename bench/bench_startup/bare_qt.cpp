// The yardstick of the start-up benchmark: a bare Qt Widgets program whose first window is a
// small dialog of the same kind as the assistant's start-up dialog, with nothing else loaded.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("bare"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Hello"), &dialog));
    auto *first = new QRadioButton(QStringLiteral("First"), &dialog);
    first->setChecked(true);
    layout->addWidget(first);
    layout->addWidget(new QRadioButton(QStringLiteral("Second"), &dialog));
    layout->addWidget(new QPushButton(QStringLiteral("OK"), &dialog));
    dialog.resize(320, 160);
    dialog.show();
    return QApplication::exec();
}
