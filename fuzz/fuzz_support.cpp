#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>

#include "core/base/messages.h"
#include "core/store/data_store.h"
#include "fuzz/memory_files.h"

namespace mk::fuzz {

namespace {

// The title under which ErrorReport shows its message, and the line that
// carries the number.
const std::string kReportTitle = "エラー発生表示";
const std::string kNumberLine = "　エラー番号： ";

class FuzzMessages : public MessageService {
public:
    std::set<int> allowed;

    int messageBox(const std::string& text, Buttons buttons, Icon, const std::string& title) override {
        if (title == kReportTitle) {
            const std::size_t at = text.find(kNumberLine);
            const int number = at == std::string::npos
                                   ? -1
                                   : std::atoi(text.c_str() + at + kNumberLine.size());
            if (!allowed.count(number)) {
                std::fprintf(stderr, "unexpected error report:\n%s\n", text.c_str());
                std::abort();
            }
        }
        return unattendedAnswer(buttons);
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

}  // namespace

const std::string& appFolder() {
    static const std::string path = [] {
        useMemoryFiles();
        const std::string folder = "/fuzz/";
        makeMemoryFolder(folder + kDataFolderName);
        return folder;
    }();
    return path;
}

const std::string& dataFolder() {
    static const std::string path = appFolder() + kDataFolderName + "/";
    return path;
}

void writeDataFile(const char* name, const uint8_t* data, std::size_t size) {
    putMemoryFile(dataFolder() + name, std::string_view(reinterpret_cast<const char*>(data), size));
}

void allowErrors(std::initializer_list<int> numbers) {
    static FuzzMessages* service = [] {
        static FuzzMessages messages;
        installMessageService(&messages);
        return &messages;
    }();
    service->allowed = numbers;
}

}  // namespace mk::fuzz
