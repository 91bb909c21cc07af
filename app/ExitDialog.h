#pragma once

#include <QDialog>

#include <memory>

namespace quendra {

struct AppContext;
class CadLink;

// syuuryou: ends the assistant alone or together with the CAD host, or goes back.
class ExitDialog : public QDialog
{
    Q_OBJECT

public:
    // What "LT共終了(&L)" sends: the command word and one blank, no carriage return.
    static constexpr const char *exitScript = "EXIT ";

    explicit ExitDialog(AppContext &context, QWidget *parent = nullptr);
    ~ExitDialog() override;

public slots:
    // Esc is "戻る(&B)".
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void endWithHost();
    void endAlone();

    AppContext &context_;
    std::unique_ptr<CadLink> link_;
};

} // namespace quendra
