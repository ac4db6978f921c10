#pragma once
// The program-wide state: the data store, the browse table, the settings
// values, the edit context and the switches that several screens read.
// One Program lives for the whole run; tests make their own over a
// temporary application folder.
#include <string>

#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace mk {

// The developer machine's name (developer-only controls appear on it).
inline const char* const kDeveloperComputerName = "ROZOZ-IDIZU";

struct Settings {
    std::string BackupFolder;   // full path, ends in "/" once written
    std::string LoginPassword;  // plain text in memory
    std::string LoginHint;
    std::string LoginMode;      // "入力する" or "スキップ"
};

// The settings screen's editable copy: password box Text1(1), hint box
// Text1(2), option buttons Option1(1) "入力する" and Option1(2) "スキップする".
struct SettingsScreenState {
    std::string passwordBox;
    std::string hintBox;
    bool option1 = false;
    bool option2 = false;
};

// The browse window's edit context: the selected entry's first and last
// browse-table rows (as texts; "MainR1"/"MainR2" mean no entry is selected)
// and the current row and column. Rows are rows of the whole table.
struct EditContext {
    std::string blockFirst = "MainR1";
    std::string blockLast = "MainR2";
    int currentRow = 0;
    int currentCol = 0;

    int firstRow() const;  // the number in blockFirst, 0 when not a number
    int lastRow() const;
    void setBlock(int first, int last);
    void reset();          // back to "MainR1" / "MainR2"
};

class Program {
public:
    // `appFolder` is the folder that holds the program.
    explicit Program(std::string appFolder);

    const std::string& appFolder() const { return store.appFolder(); }
    std::string dataFolder() const { return store.dataFolder(); }

    DataStore store;
    GridTable browse;   // the browse table (8 columns)
    Settings settings;
    SettingsScreenState settingsScreen;
    EditContext editContext;

    bool recordNumbersShown = false;  // "Rec表示/非表示"
    bool developerMode = false;
    std::string computerName;
    std::string savedLockState = "ON";  // the edit lock "修正の無効化"
    std::string dateTimeFormat = "yyyy/mm/dd hh:mm:ss";

    // Rebuilds the browse table from the data files.
    void reload();
    // The same right after the program's own writes (a save, a delete):
    // only the entries they wrote are decoded again.
    void reloadWritten();
    BrowseLoadMemo browseLoad;
};

}  // namespace mk
