#pragma once
// The program information dialog: product name, version, copyright, company
// and language, compiled in from the build, beside the program's icon.
#include <QDialog>

#include <memory>

class QPlainTextEdit;

namespace kelvo {

class TMemoTab;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // "Product Name:\t...\n\nVersion:\t..." as the dialog shows it.
    static QString InformationText();
    QPlainTextEdit* Memo() const { return FMemo; }

private:
    QPlainTextEdit* FMemo;
    std::unique_ptr<TMemoTab> FMemoTab;
};

} // namespace kelvo
