#pragma once

// A DXF file as ezdxf reads it (tests/cad/dxf_tool.py dump): "errors N", then one line per
// model-space entity in the form of cad::describe. Empty when ezdxf does not finish in time.

#include <QProcess>
#include <QString>
#include <QStringList>

inline QStringList ezdxfDump(const QString &dxf)
{
    QProcess python;
    python.start("/usr/bin/python3",
                 {QStringLiteral(QUENDRA_SOURCE_DIR "/tests/cad/dxf_tool.py"), "dump", dxf});
    if (!python.waitForFinished(60000)) return {};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}
