#include "dialogs/Desktop.h"

#include <QFileDialog>

namespace quendra {

namespace {

QString runDialog(QFileDialog &dialog, const QStringList &filters, int selectedFilter)
{
    dialog.setNameFilters(filters);
    if (selectedFilter >= 1 && selectedFilter <= filters.size())
        dialog.selectNameFilter(filters.at(selectedFilter - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString Desktop::openFile(QWidget *parent, const QStringList &filters, int selectedFilter,
                          const QString &folder)
{
    history_.push_back({Request::Kind::Open, folder, filters, selectedFilter});
    if (!interactive_) return answer();
    QFileDialog dialog(parent, {}, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runDialog(dialog, filters, selectedFilter);
}

QString Desktop::saveFile(QWidget *parent, const QStringList &filters, const QString &defaultSuffix,
                          const QString &folder)
{
    history_.push_back({Request::Kind::Save, folder, filters, 1});
    if (!interactive_) return answer();
    QFileDialog dialog(parent, {}, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return runDialog(dialog, filters, 1);
}

bool Desktop::showTextFile(const QString &path)
{
    history_.push_back({Request::Kind::Viewer, path, {}, 1});
    return interactive_ && textViewer_ && textViewer_(path);
}

QString Desktop::answer()
{
    if (answers_.empty()) return {};
    QString a = answers_.front();
    answers_.pop_front();
    return a;
}

} // namespace quendra
