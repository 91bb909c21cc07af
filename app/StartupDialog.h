#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace quendra {

struct AppContext;

// kidou: asks whether the CAD host is to be started together with the assistant.
class StartupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StartupDialog(AppContext &context, QWidget *parent = nullptr);

signals:
    // "AutoCAD LTを同時に起動する。" was confirmed: the opening window takes over.
    void launchChosen();

public slots:
    // Esc does nothing: the dialog has no cancel button.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void confirm();

    AppContext &context_;
    QRadioButton *option1_;
    QRadioButton *option2_;
};

} // namespace quendra
