#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace quendra {

struct AppContext;
class CadLink;

// syuuryou, built from its definition: ends the assistant alone or together with the CAD host,
// or goes back.
class ExitDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExitDialog(AppContext &context, QWidget *parent = nullptr);
    ~ExitDialog() override;

public slots:
    // Esc is "戻る(&B)".
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void pressButton(const std::string &name);

    AppContext &context_;
    std::unique_ptr<CadLink> link_;
};

} // namespace quendra
