#include "shell/gui/inihlst.h"

#include "shell/settings/ini_file.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace kelvo {

namespace {

constexpr const char* EntryTextProperty = "kelvoHistoryText";

std::string ReadText(const QSettings& ini, const QString& key) {
    const QVariant value = ini.value(key);
    // An unquoted value with commas reads back as a list; the entry is the whole text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

QString KeyName(const char* name, int index) {
    return QString::fromLatin1(name) + QString::number(index);
}

TIniHlst*& Instance() {
    static TIniHlst* instance = nullptr;
    return instance;
}

bool closeAtApplicationEnd = false;

} // namespace

TIniHlstEntry::TIniHlstEntry(const char* name, int maximum, bool normalise)
    : FName(name), FMaximum(std::max(maximum, 0)), FNormalise(normalise) {}

TIniHlstEntry::~TIniHlstEntry() {
    RebuildMenu(true);
}

std::string TIniHlstEntry::Entry(int i) const {
    return i >= 0 && i < Count() ? FEntries[static_cast<size_t>(i)] : std::string();
}

std::string TIniHlstEntry::Prepare(const std::string& text) const {
    return FNormalise ? TrimBlanks(text) : text;
}

void TIniHlstEntry::Add(const std::string& text) {
    const std::string entry = Prepare(text);
    // An empty entry would be a menu item that opens nothing.
    if (entry.empty())
        return;
    FEntries.insert(FEntries.begin(), entry);
    FEntries.erase(std::remove(FEntries.begin() + 1, FEntries.end(), entry), FEntries.end());
    if (FEntries.size() > static_cast<size_t>(FMaximum))
        FEntries.resize(static_cast<size_t>(FMaximum));
    RebuildMenu();
}

void TIniHlstEntry::Remove(const std::string& text) {
    const auto found = std::find(FEntries.begin(), FEntries.end(), Prepare(text));
    if (found != FEntries.end())
        FEntries.erase(found);
    RebuildMenu();
}

void TIniHlstEntry::Clear() {
    FEntries.clear();
    RebuildMenu();
}

void TIniHlstEntry::Attach(QMenu* menu, THandler handler) {
    FMenu = menu;
    FHandler = std::move(handler);
    RebuildMenu();
}

void TIniHlstEntry::Attach(QMenuBar* bar, int index, THandler handler) {
    QMenu* menu = nullptr;
    if (bar && index >= 0) {
        int n = 0;
        for (QAction* action : bar->actions()) {
            if (action->menu() && n++ == index) {
                menu = action->menu();
                break;
            }
        }
    }
    Attach(menu, std::move(handler));
}

QMenu* TIniHlstEntry::Menu() const {
    return FMenu;
}

std::string TIniHlstEntry::EntryText(const QAction* action) {
    if (!action)
        return {};
    const QVariant text = action->property(EntryTextProperty);
    if (text.isValid())
        return text.toString().toStdString();
    // Not one of ours: strip the number prefix as far as the first blank.
    const QString caption = action->text();
    const qsizetype blank = caption.indexOf(u' ');
    return blank < 0 ? std::string() : caption.mid(blank + 1).toStdString();
}

void TIniHlstEntry::RebuildMenu(bool removeAll) {
    if (!FMenu)
        return;
    for (int i = 0; i < FMaximum; ++i) {
        // The blank belongs to the prefix so that "&1" does not find "&10".
        const QString prefix = QStringLiteral("&%1 ").arg(i + 1);
        QAction* item = nullptr;
        const QList<QAction*> items = FMenu->actions();
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            if ((*it)->text().startsWith(prefix)) {
                item = *it;
                break;
            }
        }
        if (i < Count() && !removeAll) {
            if (!item) {
                if (i == 0)
                    FMenu->addSeparator();
                item = FMenu->addAction(QString());
                QObject::connect(item, &QAction::triggered, FMenu, [this, item] {
                    if (FHandler)
                        FHandler(item);
                });
            }
            const QString text = QString::fromStdString(FEntries[static_cast<size_t>(i)]);
            // "&" in a file name would otherwise turn into a mnemonic.
            item->setText(prefix + QString(text).replace(u'&', QStringLiteral("&&")));
            item->setProperty(EntryTextProperty, text);
        } else if (item) {
            FMenu->removeAction(item);
            delete item;
        }
    }
    if (Count() == 0 || removeAll) {
        const QList<QAction*> items = FMenu->actions();
        if (!items.isEmpty() && items.last()->isSeparator()) {
            QAction* separator = items.last();
            FMenu->removeAction(separator);
            delete separator;
        }
    }
}

TIniHlst::TIniHlst(const std::string& iniFile)
    : FIniFileName(iniFile.empty() ? kelvo::IniFileName() : TrimBlanks(iniFile)),
      FIni(
          std::make_unique<QSettings>(QString::fromStdString(FIniFileName), QSettings::IniFormat)) {
    // Writes go to a temporary file that replaces the INI file by renaming, so
    // a crash in the middle of a write leaves the old file whole; a directory
    // that allows no new file means no write at all rather than one in place.
    FIni->setAtomicSyncRequired(true);
}

TIniHlst::~TIniHlst() {
    FLists.Clear();
    FIni->sync();
}

int TIniHlst::Create(const char* name, int maximum, bool normalise) {
    auto* list = new TIniHlstEntry(name, maximum, normalise);
    FLists.Append(list->FNode);
    return FLists.Count() - 1;
}

TIniHlstEntry* TIniHlst::At(int position) const {
    return FLists.EntryAt(position);
}

std::string TIniHlst::SectionName() const {
    return IniSectionName(FIniFileName);
}

void TIniHlst::Load(const std::string& section) {
    FIni->beginGroup(QString::fromStdString(section.empty() ? SectionName() : section));
    for (TIniHlstEntry& list : FLists) {
        // Highest index first: each entry goes to the top, which restores the
        // stored order.
        for (int i = list.Maximum() - 1; i >= 0; --i) {
            const std::string text = ReadText(*FIni, KeyName(list.Name(), i));
            if (!text.empty())
                list.Add(text);
        }
    }
    FIni->endGroup();
}

void TIniHlst::Save(const std::string& section) {
    const QString group = QString::fromStdString(section.empty() ? SectionName() : section);
    FIni->remove(group);
    FIni->beginGroup(group);
    for (const TIniHlstEntry& list : FLists) {
        for (int i = 0; i < list.Count(); ++i)
            FIni->setValue(KeyName(list.Name(), i), QString::fromStdString(list.Entry(i)));
    }
    FIni->endGroup();
    FIni->sync();
}

TIniHlst& IniHlst() {
    if (!Instance()) {
        Instance() = new TIniHlst;
        // Without an explicit close the lists still reach the file, while
        // the toolkit that writes it is there.
        if (QCoreApplication::instance() && !closeAtApplicationEnd) {
            qAddPostRoutine(CloseIniHlst);
            closeAtApplicationEnd = true;
        }
    }
    return *Instance();
}

void CloseIniHlst() {
    if (closeAtApplicationEnd) {
        qRemovePostRoutine(CloseIniHlst);
        closeAtApplicationEnd = false;
    }
    delete Instance();
    Instance() = nullptr;
}

void CreateMainWindowLists(TIniHlst& lists) {
    lists.Create("Recent", 9, true);
    lists.Create("OpenDir", 1, true);
    lists.Create("SaveDir", 1, true);
    lists.Create("SourceDir", 6, true);
    lists.Create("TargetDir", 6, true);
    lists.Create("AuxFile", 6, true);
}

} // namespace kelvo
