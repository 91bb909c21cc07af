#pragma once

#include "cad/model/Schedule.h"

#include <QDialog>

namespace host {

// The fitting schedule (建具表) of the drawing as a table, with buttons to write it as CSV or to
// draw it into the drawing.
class ScheduleDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Choice { Close, Csv, Draw };

    ScheduleDialog(const std::vector<cad::ScheduleRow> &rows, QWidget *parent = nullptr);
    Choice choice() const { return choice_; }

private:
    Choice choice_ = Choice::Close;
};

} // namespace host
