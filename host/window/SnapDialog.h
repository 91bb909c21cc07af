#pragma once

#include "cad/model/Snap.h"

#include <QDialog>

#include <vector>

class QCheckBox;

namespace host {

// The running snap's kinds, each a check box: what a pick snaps to while F3 leaves snapping on.
class SnapDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SnapDialog(cad::SnapModes modes, QWidget *parent = nullptr);
    cad::SnapModes modes() const;

private:
    void checkAll(bool on);

    std::vector<std::pair<cad::SnapPoint::Kind, QCheckBox *>> boxes_;
};

} // namespace host
