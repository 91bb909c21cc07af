#pragma once

#include <QDialog>

namespace quendra {

struct AppContext;

// barjyon: the program's title and version.
class VersionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit VersionDialog(AppContext &context, QWidget *parent = nullptr);

public slots:
    // Esc does nothing: the dialog has no cancel button.
    void reject() override {}

protected:
    // The close box leads to the exit dialog, not back to the main window.
    void closeEvent(QCloseEvent *event) override;

private:
    AppContext &context_;
};

} // namespace quendra
