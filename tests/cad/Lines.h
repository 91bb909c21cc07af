#pragma once

#include <QStringList>

#include <string>
#include <vector>

// Lines of text as the interpreter and the drawing describe themselves.
using Lines = std::vector<std::string>;

// Lists compare as QStringList, so that a failure shows both.
inline QStringList q(const Lines &lines)
{
    QStringList list;
    for (const std::string &s : lines)
        list << QString::fromStdString(s);
    return list;
}
