#pragma once

#include <QWidget>

#include <memory>

namespace quendra {

struct AppContext;
class CadLink;
class Desktop;

// start: lets the user pick the CAD host's program, starts it, and waits for a click before the
// main window opens, which gives the host time to come up.
class OpeningWindow : public QWidget
{
    Q_OBJECT

public:
    OpeningWindow(AppContext &context, Desktop &desktop, QWidget *parent = nullptr);
    ~OpeningWindow() override;

    // The load steps: pick and start the host, Escape, centre, open the link. A step that fails
    // ends the sequence quietly; only a chosen file that cannot be started is reported.
    void launchHost();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openMainWindow();

    AppContext &context_;
    Desktop &desktop_;
    std::unique_ptr<CadLink> link_;
};

} // namespace quendra
