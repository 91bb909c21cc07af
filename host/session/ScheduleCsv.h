#pragma once

#include "cad/model/Drawing.h"

#include <QByteArray>
#include <QString>

namespace host {

// The fitting schedule as CSV: UTF-8 with a byte order mark, so that a spreadsheet opens the
// Japanese intact, and CRLF line ends.
QByteArray scheduleCsv(const cad::Drawing &drawing);
// Writes it through QSaveFile; empty, or the message why it was not written.
QString writeScheduleCsv(const cad::Drawing &drawing, const QString &path);

} // namespace host
