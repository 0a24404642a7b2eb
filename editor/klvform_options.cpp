#include "editor/klvform.h"

#include "editor/editor_settings.h"
#include "foundation/gui/oem_text.h"
#include "foundation/prompt.h"
#include "online/kelvo_online.h"
#include "shell/gui/ports_dialog.h"
#include "shell/gui/registerform.h"
#include "shell/settings/ini_file.h"
#include "translations/mlparas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace kelvo {

namespace {

constexpr const char* ProductionPassword = "-kalibrier";

} // namespace

void TKlvForm::BuildOptionsTab() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    CkbxAutoConnect = new QCheckBox("Auto Connect");
    CkbxSpecialOpt = new QCheckBox("Enable Special Options");
    GrpBoxSpecial = new QGroupBox("Special Options");
    CkbxProdmod = new QCheckBox("Production Mode");
    CkbxProdmod->setEnabled(false);
    Rbtn1152 = new QRadioButton("115200 Baud");
    Rbtn576 = new QRadioButton("57600 Baud");
    Rbtn192 = new QRadioButton("19200 Baud");
    Rbtn1152->setChecked(true);
    Rbtn576->setEnabled(false);
    Rbtn192->setEnabled(false);
    auto* special = new QVBoxLayout(GrpBoxSpecial);
    special->addWidget(CkbxProdmod);
    for (auto [button, baud] : {std::pair{Rbtn1152, 115200}, {Rbtn576, 57600}, {Rbtn192, 19200}}) {
        button->setProperty("tag", baud);
        special->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, baud = baud](bool on) {
            if (on)
                RbtnBaudrateClick(baud);
        });
    }
    GpbxLanguage = new QGroupBox("Language");
    CmbxLanguage = new QComboBox;
    CmbxLanguage->setEditable(false);
    CmbxLanguage->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelLanguage = new QLabel("File: -");
    LabelLanguage->setWordWrap(true);
    auto* language = new QVBoxLayout(GpbxLanguage);
    language->addWidget(CmbxLanguage);
    language->addWidget(LabelLanguage);
    // Which serial device each COM port opens (one table for all windows),
    // beside the other setting of how the window connects.
    auto* ports = new QPushButton("&Ports...");
    ports->setObjectName("BtnPorts");
    ports->setToolTip("Choose the serial device of each COM port");
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(CkbxAutoConnect);
    connectRow->addStretch(1);
    connectRow->addWidget(ports);
    layout->addLayout(connectRow);
    layout->addWidget(CkbxSpecialOpt);
    layout->addWidget(GrpBoxSpecial);
    layout->addWidget(GpbxLanguage);
    layout->addStretch(1);
    // The keyboard reaches the button where it stands, after Auto Connect.
    QWidget::setTabOrder(CkbxAutoConnect, ports);
    QWidget::setTabOrder(ports, CkbxSpecialOpt);
    connect(ports, &QPushButton::clicked, this, [this] {
        TPortsDialog dialog(this, IniFileName());
        RunPortsDialog(dialog);
    });
    connect(CkbxAutoConnect, &QCheckBox::clicked, this, [this] { CkbxAutoConnectClick(); });
    connect(CkbxSpecialOpt, &QCheckBox::clicked, this, [this] { CkbxSpecialOptClick(); });
    connect(CkbxProdmod, &QCheckBox::toggled, this, [this] { CkbxProdmodClick(); });
    connect(CmbxLanguage, &QComboBox::activated, this, [this] { CmbxLanguageChange(); });

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    TabOptions = new QWidget;
    auto* page = new QVBoxLayout(TabOptions);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(scroll);
    TabbedPages->addTab(TabOptions, "&Options");
}

void TKlvForm::SyncOptions() {
    TEditorSettings& settings = EditorSettings();
    if (FAutoConnectMark == 0 || CkbxAutoConnect->isChecked() != settings.AutoConnect) {
        FAutoConnectMark = 1;
        CkbxAutoConnect->setChecked(settings.AutoConnect);
    }
    if (FSpecialOptMark == 0 || CkbxSpecialOpt->isChecked() != settings.SpecialOptions) {
        FSpecialOptMark = 1;
        CkbxSpecialOpt->setChecked(settings.SpecialOptions);
        for (QWidget* w : std::initializer_list<QWidget*>{CkbxProdmod, Rbtn1152, Rbtn576, Rbtn192})
            w->setEnabled(settings.SpecialOptions);
        if (!settings.SpecialOptions) {
            // Their handlers switch production mode off and the rate back.
            CkbxProdmod->setChecked(false);
            Rbtn1152->setChecked(true);
        }
    }
    if (CmbxLanguage->count() != settings.languageListSize) {
        if (settings.languageListSize < 0)
            Mlparas().Load();
        const QSignalBlocker block(CmbxLanguage);
        CmbxLanguage->clear();
        QStringList names;
        for (const TMlpara& para : Mlparas()) {
            const QString name = OemToQString(para.Name());
            if (!names.contains(name) && name != NoTranslations)
                names << name;
        }
        names.sort(Qt::CaseInsensitive);
        CmbxLanguage->addItem(NoTranslations);
        CmbxLanguage->addItems(names);
        settings.languageListSize = CmbxLanguage->count();
    }
    const QString wanted = OemToQString(settings.Language);
    if (CmbxLanguage->currentText() != wanted) {
        int found = CmbxLanguage->findText(wanted);
        if (found <= 0) {
            settings.Language = NoTranslations;
            found = CmbxLanguage->findText(NoTranslations);
        }
        const QSignalBlocker block(CmbxLanguage);
        CmbxLanguage->setCurrentIndex(found);
    }
    TFileTypeKelvo* document = Kelvo();
    if (FLanguageMark == 1 && (!document || document->Language() == settings.Language))
        return;
    FLanguageMark = 1;
    if (document) {
        document->SetLanguage(settings.Language);
        KelvoListView->viewport()->update();
    }
    if (!document || document->IsEmpty()) {
        LabelLanguage->setText("No KELVO data loaded!");
    } else if (settings.Language == NoTranslations) {
        LabelLanguage->setText("Translations disabled!");
    } else if (const TMlpara* para = document->GetTranslationTable()) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "Translations for this KELVO device found at lines %i to %i of file\n",
                      para->FirstLine(), para->LastLine());
        LabelLanguage->setText(QString::fromLatin1(text) + "\"" +
                               QString::fromStdString(para->FileName()) + "\"");
    } else {
        LabelLanguage->setText("No translations found for this KELVO device!");
    }
}

void TKlvForm::CkbxAutoConnectClick() {
    EditorSettings().AutoConnect = CkbxAutoConnect->isChecked();
    FAutoConnectMark = 0;
    ForEachEditor([](TKlvForm& editor) { editor.SyncOptions(); });
}

void TKlvForm::CkbxSpecialOptClick() {
    EditorSettings().SpecialOptions = CkbxSpecialOpt->isChecked();
    FSpecialOptMark = 0;
    ForEachEditor([](TKlvForm& editor) { editor.SyncOptions(); });
}

void TKlvForm::CmbxLanguageChange() {
    EditorSettings().Language = QStringToOem(CmbxLanguage->currentText());
    FLanguageMark = 0;
    ForEachEditor([](TKlvForm& editor) { editor.SyncOptions(); });
}

int TKlvForm::CheckedBaudRate() const {
    for (const QRadioButton* button : {Rbtn1152, Rbtn576, Rbtn192})
        if (button && button->isChecked())
            return button->property("tag").toInt();
    return 115200;
}

void TKlvForm::RbtnBaudrateClick(int baud) {
    if (!Kelvo() || !FOnline)
        return;
    const bool wasOnline = FOnline->IsOnline();
    FOnline->SetBaudRate(baud);
    // Online a new rate goes online again, with the whole dialogue.
    if (wasOnline)
        ForgetHistoryIfReplaced();
    UpdateAboutOnline();
}

void TKlvForm::CkbxProdmodClick() {
    const bool on = CkbxProdmod->isChecked();
    if (on) {
        const auto& arguments = CommandLine();
        if (arguments.empty() || arguments.front() != ProductionPassword) {
            {
                const QSignalBlocker block(CkbxProdmod);
                CkbxProdmod->setChecked(false);
            }
            Prompt().Ask(windowTitle().toStdString(),
                         "In order to get access to the production mode the usual password must "
                         "be given as 1st command line argument prepended by the character '-' . "
                         "Upper and lower cases are significant!",
                         TPromptIcon::Information, TPromptButtons::Ok);
            return;
        }
    }
    if (FOnline)
        FOnline->SetProductionMode(on ? 1 : 0);
    FLanguageMark = 0;
    SyncOptions();
}

} // namespace kelvo
