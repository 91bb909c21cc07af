#pragma once

#include "dialogs/AppContext.h"
#include "rules/ButtonPress.h"
#include "rules/FormDefinition.h"

#include <QWidget>

#include <map>
#include <memory>
#include <optional>

class QAbstractButton;
class QBoxLayout;
class QLabel;
class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QTimer;

namespace quendra {

class DialogPlacement;
class PreviewWidget;

// Any symbol form, built from its definition: inputs with their labels, option groups, the
// buttons, a live preview of what the draw button would send, and the form's own conversation
// with the CAD host. Loaded once, then only shown and hidden, so inputs keep their values.
class SymbolDialog : public QWidget
{
    Q_OBJECT

public:
    SymbolDialog(const FormDefinition &form, AppContext &context, QWidget *parent = nullptr);
    ~SymbolDialog() override;

    const FormDefinition &form() const { return form_; }
    // The inputs as the draw function sees them.
    FormState state() const;
    // Presses a button as the user would (also what the buttons' clicks do).
    void pressButton(const std::string &name);
    // The user closed the window with its close box: the message, then the program ends; false
    // when the user cancelled a save question on the way and the program goes on.
    bool closeBox();
    QWidget *input(const std::string &name) const;
    // The inputs of a symbol drawn before, as the dialog held them; the next draw takes that
    // symbol's place in the host (`replaces` names it there), from its base point unless the user
    // picks another.
    void drawAgain(const std::vector<std::pair<std::string, std::string>> &inputs, std::string replaces);
    QPushButton *commandButton(const std::string &name) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    struct InputLayout;
    void buildInputs(QGridLayout *grid, QWidget *previewHost);
    QWidget *makeInput(const Control &control, InputLayout &layout);
    void addLabel(const Control &label, InputLayout &layout);
    void placeInput(const Control &control, QWidget *input, InputLayout &layout);
    QLabel *makeLabel(const Control &control, QWidget *input);
    QBoxLayout *sidePanel(Side side);
    void buildButtons(QHBoxLayout *row);
    void applyTabOrder();
    void connectRules();
    void centre();
    void openLink();
    bool send(const std::string &script);
    void perform(const ButtonPress &press, Button::Role role);
    void updatePreview();
    void setEnabledByName(const std::string &name, bool on);
    void watchForPick(const std::string &pressed);
    void checkPick();
    void setAngleAlongWall(std::optional<double> wallDirection);

    const FormDefinition &form_;
    AppContext &context_;
    std::unique_ptr<CadLink> link_;
    std::map<std::string, QWidget *> inputs_;
    std::map<std::string, QWidget *> labels_;
    std::map<std::string, QPushButton *> buttons_;
    QWidget *content_ = nullptr; // everything, in a scroll area
    PreviewWidget *preview_ = nullptr;
    QGridLayout *around_ = nullptr; // the preview and the groups on its sides
    std::map<Side, QBoxLayout *> sidePanels_;
    // After a base point, while the host picks it, and after a draw, while the host draws it:
    // polls a host that can tell, to come back by itself; the draw button to be ready after a
    // pick (none after a draw, whose focus stays on the first input).
    QTimer *pickWatch_ = nullptr;
    std::string drawAfterPick_;
    DialogPlacement *placement_ = nullptr;
    // A base point was sent since the last draw: the next symbol begins at the point picked.
    bool basePicked_ = false;
    // The host's symbol the next draw replaces (drawAgain), until drawn.
    std::string replaces_;
};

} // namespace quendra
