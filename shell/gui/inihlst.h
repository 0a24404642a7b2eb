#pragma once
// Most-recent-first lists of strings (recent files, last directories) kept
// between runs in the program's INI file. The program-wide instance owns that
// file's settings object and lends it to the other settings of the program.
// A list can show its entries numbered at the end of a menu ("&1 /path"),
// after a separator.
#include "foundation/dynalist.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QSettings;

namespace kelvo {

class TIniHlstEntry {
public:
    // Receives the menu entry that was clicked; EntryText gives its text.
    using THandler = std::function<void(QAction*)>;

    // name is used for the INI keys and must outlive the list.
    TIniHlstEntry(const char* name, int maximum, bool normalise);
    ~TIniHlstEntry();
    TIniHlstEntry(const TIniHlstEntry&) = delete;
    TIniHlstEntry& operator=(const TIniHlstEntry&) = delete;

    const char* Name() const { return FName; }
    int Maximum() const { return FMaximum; }
    bool Normalises() const { return FNormalise; }

    // Entry i (0 the most recent), or "" outside 0 .. Count()-1.
    std::string Entry(int i) const;
    int Count() const { return static_cast<int>(FEntries.size()); }

    // Puts text at the top, drops an equal older entry and what exceeds the
    // maximum. An empty text is not added.
    void Add(const std::string& text);
    void Remove(const std::string& text);
    void Clear();

    // Shows the list at the end of menu (none: no menu) with clicks going to
    // handler.
    void Attach(QMenu* menu, THandler handler);
    // The same with the menu at index of the menu bar (none when out of range).
    void Attach(QMenuBar* bar, int index, THandler handler);
    QMenu* Menu() const;

    // The text behind a menu entry of a list.
    static std::string EntryText(const QAction* action);

private:
    std::string Prepare(const std::string& text) const;
    void RebuildMenu(bool removeAll = false);

    const char* FName;
    int FMaximum;
    bool FNormalise;
    std::vector<std::string> FEntries;
    QPointer<QMenu> FMenu;
    THandler FHandler;

    friend class TIniHlst;
    DynalistOwnerENode<TIniHlstEntry> FNode{this};
};

class TIniHlst {
public:
    // Opens the settings object on iniFile (the program's INI file when empty).
    explicit TIniHlst(const std::string& iniFile = {});
    ~TIniHlst();
    TIniHlst(const TIniHlst&) = delete;
    TIniHlst& operator=(const TIniHlst&) = delete;

    // Appends a list; returns its position (0 for the first).
    int Create(const char* name, int maximum, bool normalise);
    // The list at position; null outside the lists created.
    TIniHlstEntry* At(int position) const;
    int ListCount() const { return FLists.Count(); }

    // Loads every list from section (the INI file's own section when empty).
    void Load(const std::string& section = {});
    // Replaces section by the lists' entries and writes the file.
    void Save(const std::string& section = {});

    QSettings& IniFile() const { return *FIni; }
    const std::string& IniFileName() const { return FIniFileName; }
    // The INI file's name without directory and extension.
    std::string SectionName() const;

private:
    std::string FIniFileName;
    std::unique_ptr<QSettings> FIni;
    Dynalist<TIniHlstEntry> FLists;
};

// The program's lists, opened on IniFileName() at the first call.
TIniHlst& IniHlst();
// Writes and deletes the program's lists and INI object: at program end (it
// runs by itself when the application object ends), and in tests that start
// again with another INI file.
void CloseIniHlst();

// The lists of the main window, in the order of their positions.
enum THistoryList {
    HlstRecent = 0,
    HlstOpenDir = 1,
    HlstSaveDir = 2,
    HlstSourceDir = 3,
    HlstTargetDir = 4,
    HlstAuxFile = 5
};
// Creates "Recent" (9), "OpenDir" (1), "SaveDir" (1), "SourceDir" (6),
// "TargetDir" (6) and "AuxFile" (6), all normalising, in that order.
void CreateMainWindowLists(TIniHlst& lists);

} // namespace kelvo
