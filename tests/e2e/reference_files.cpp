// What the core itself writes, for the end-to-end test to hold the running
// program's files against:
//   reference_files sample FOLDER    writes the sample pair into FOLDER/DuzoZuzevod/
//   reference_files settings FOLDER  reads FOLDER's settings file (writing the
//                                    defaults when it is missing) and prints
//                                    its four values, the backup folder
//                                    relative to FOLDER
#include <iostream>
#include <string>

#include "core/app/program.h"
#include "core/maintenance/sample_data.h"
#include "core/settings/settings_file.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: reference_files sample|settings FOLDER\n";
        return 2;
    }
    const std::string command = argv[1];
    std::string folder = argv[2];
    if (folder.empty() || folder.back() != '/') folder += '/';
    mk::Program program(folder);
    if (command == "sample") return mk::サンプルデータ生成(program) ? 0 : 1;
    if (command != "settings") return 2;

    mk::設定読込(program);
    std::string backup = program.settings.BackupFolder;
    if (backup.compare(0, folder.size(), folder) == 0) backup = "./" + backup.substr(folder.size());
    std::cout << backup << '\n'
              << program.settings.LoginPassword << '\n'
              << program.settings.LoginHint << '\n'
              << program.settings.LoginMode << '\n';
    return 0;
}
