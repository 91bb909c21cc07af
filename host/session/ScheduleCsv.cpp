#include "host/session/ScheduleCsv.h"

#include "cad/model/Schedule.h"

#include <QSaveFile>

namespace host {

namespace {

QByteArray field(const std::string &text)
{
    QByteArray bytes = QByteArray::fromStdString(text);
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    return '"' + bytes.replace("\"", "\"\"") + '"';
}

QByteArray line(const std::vector<std::string> &cells)
{
    QByteArray out;
    for (std::size_t i = 0; i < cells.size(); ++i)
        out += (i == 0 ? "" : ",") + field(cells[i]);
    return out + "\r\n";
}

} // namespace

QByteArray scheduleCsv(const cad::Drawing &drawing)
{
    QByteArray out("\xEF\xBB\xBF");
    out += line(cad::scheduleHeader());
    for (const cad::ScheduleRow &row : cad::fittingSchedule(drawing))
        out += line(cad::cells(row));
    return out;
}

QString writeScheduleCsv(const cad::Drawing &drawing, const QString &path)
{
    const QByteArray bytes = scheduleCsv(drawing);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("建具表を保存できません: %1").arg(path);
    return {};
}

} // namespace host
