#include "shell/gui/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include <vector>

namespace kelvo {

namespace {

std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        const auto bar = text.find('|', start);
        if (bar == std::string::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return parts;
}

// "*.dat;*.kelvo" as "*.dat *.kelvo"; "*.*" matches every name, with or
// without a dot.
QString QtPatterns(const std::string& patterns) {
    QStringList list;
    for (const QString& p : QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts))
        list << (p.trimmed() == "*.*" ? QStringLiteral("*") : p.trimmed());
    return list.join(' ');
}

} // namespace

QStringList QtNameFilters(const std::string& filter) {
    const std::vector<std::string> parts = SplitBars(filter);
    QStringList filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        QString description = QString::fromStdString(parts[i]);
        const auto open = description.lastIndexOf(" (");
        if (open > 0)
            description.truncate(open);
        filters << description + " (" + QtPatterns(parts[i + 1]) + ")";
    }
    return filters;
}

std::string FilterEntry(const std::string& filter, int index) {
    const std::vector<std::string> parts = SplitBars(filter);
    if (index < 1 || std::size_t(index) * 2 > parts.size())
        return {};
    return parts[index * 2 - 2] + "|" + parts[index * 2 - 1];
}

bool TQtFileDialog::Execute() {
    QFileDialog dialog(FParent, QString::fromStdString(Title));
    dialog.setAcceptMode(FMode == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(FMode == Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    const QFileInfo proposed(QString::fromStdString(FileName));
    if (!InitialDir.empty())
        dialog.setDirectory(QString::fromStdString(InitialDir));
    else if (proposed.isAbsolute())
        dialog.setDirectory(proposed.absolutePath());
    if (!FileName.empty())
        dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().front().toStdString();
    FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

} // namespace kelvo
