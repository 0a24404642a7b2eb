#include "shell/gui/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

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

std::string FilterPatterns(const std::string& filter, int index) {
    const std::vector<std::string> parts = SplitBars(filter);
    if (index < 1 || std::size_t(index) * 2 > parts.size())
        return {};
    return parts[index * 2 - 1];
}

std::string AdjustToFilterPatterns(const std::string& name, const std::string& patterns) {
    if (name.empty() || patterns.empty())
        return name;
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const QString extension = hasExtension ? QString::fromStdString(name.substr(dot)) : QString();
    QStringList list = QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts);
    QString remembered;
    for (auto it = list.crbegin(); it != list.crend(); ++it) {
        const QString pattern = it->trimmed();
        const auto patternDot = pattern.lastIndexOf('.');
        const QString patternExtension = patternDot >= 0 ? pattern.mid(patternDot) : QString();
        if (patternExtension == ".*" ||
            (!extension.isEmpty() && patternExtension.compare(extension, Qt::CaseInsensitive) == 0))
            return name;
        remembered = patternExtension;
    }
    if (remembered.isEmpty() || remembered.contains('*'))
        return name;
    return (hasExtension ? name.substr(0, dot) : name) + remembered.toStdString();
}

namespace {

// Keeps the typed name's extension in line with the chosen file type; a save
// whose name had to be corrected stays open showing the corrected name.
class TTypedFileDialog : public QFileDialog {
public:
    TTypedFileDialog(QWidget* parent, const QString& title, std::string filter)
        : QFileDialog(parent, title), FFilter(std::move(filter)) {
        setOption(QFileDialog::DontUseNativeDialog);
        // Writing over an existing file is asked by the file transfer itself
        // ("exists! Replace?"); the dialog does not ask a question of its own.
        setOption(QFileDialog::DontConfirmOverwrite);
        connect(this, &QFileDialog::filterSelected, this, [this] { AdjustTypedName(); });
    }
    void accept() override {
        if (acceptMode() == QFileDialog::AcceptSave && !selectedFiles().isEmpty()) {
            const std::string chosen = selectedFiles().front().toStdString();
            const std::string adjusted = AdjustToFilterPatterns(chosen, Patterns());
            if (adjusted != chosen) {
                ShowCorrectedName(adjusted);
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    std::string Patterns() const {
        return FilterPatterns(FFilter, int(nameFilters().indexOf(selectedNameFilter())) + 1);
    }
    // The name field shows the corrected name, also while it has the focus
    // (the user confirmed with Enter): selectFile leaves a focused field as
    // it is.
    void ShowCorrectedName(const std::string& adjusted) {
        auto* edit = findChild<QLineEdit*>("fileNameEdit");
        if (edit && !edit->text().isEmpty()) {
            const std::string typed = edit->text().toStdString();
            const std::string corrected = AdjustToFilterPatterns(typed, Patterns());
            if (corrected != typed) {
                edit->setText(QString::fromStdString(corrected));
                return;
            }
        }
        selectFile(QString::fromStdString(adjusted));
    }
    void AdjustTypedName() {
        auto* edit = findChild<QLineEdit*>("fileNameEdit");
        if (!edit || edit->text().isEmpty())
            return;
        const std::string typed = edit->text().toStdString();
        const std::string adjusted = AdjustToFilterPatterns(typed, Patterns());
        if (adjusted != typed)
            edit->setText(QString::fromStdString(adjusted));
    }
    std::string FFilter;
};

} // namespace

bool TQtFileDialog::Execute() {
    TTypedFileDialog dialog(FParent, QString::fromStdString(Title), Filter);
    dialog.setAcceptMode(FMode == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(FMode == Save ? QFileDialog::AnyFile
                       : MultiSelect ? QFileDialog::ExistingFiles
                                     : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
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
    FileNames.clear();
    for (const QString& name : dialog.selectedFiles())
        FileNames.push_back(name.toStdString());
    FileName = FileNames.front();
    FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

} // namespace kelvo
