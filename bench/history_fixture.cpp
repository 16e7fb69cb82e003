#include "bench/history_fixture.h"

#include <stdexcept>

#include "acquire/replace_history.h"
#include "store/schema.h"

namespace arrange5::bench {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemplateFolder = "template";

void removeDatabase(const fs::path& folder) {
    for (const char* tail : {"", "-wal", "-shm", "-journal"}) {
        fs::remove(folder / (std::string(kDatabaseFileName) + tail));
    }
}

}  // namespace

void copyDatabase(const fs::path& fromFolder, const fs::path& toFolder) {
    if (fs::exists(fromFolder / (std::string(kDatabaseFileName) + "-wal"))) {
        throw std::runtime_error("the database in " + fromFolder.string() + " is still open");
    }
    fs::create_directories(toFolder);
    removeDatabase(toFolder);
    fs::copy_file(fromFolder / kDatabaseFileName, toFolder / kDatabaseFileName);
}

HistoryFixture::HistoryFixture(std::string name, fs::path workRoot, Source source)
    : name_(std::move(name)), folder_(workRoot / name_), source_(std::move(source)) {}

HistoryFixture::HistoryFixture(std::string name, fs::path workRoot, fs::path historyFile)
    : name_(std::move(name)), folder_(workRoot / name_), historyFile_(std::move(historyFile)) {}

HistoryFixture::~HistoryFixture() = default;

void HistoryFixture::prepare() {
    if (prepared_) return;
    fs::create_directories(folder_);
    if (source_) {
        const std::vector<HistoryEntry> entries = source_();
        historyFile_ = folder_ / "history.txt";
        writeHistoryFile(historyFile_, entries);
    }
    const fs::path templateFolder = folder_ / kTemplateFolder;
    fs::create_directories(templateFolder);
    removeDatabase(templateFolder);
    {
        HistoryStore store(templateFolder);
        const ReplaceReport report = importHistoryFile(store, historyFile_);
        draws_ = report.stored;
    }
    prepared_ = true;
}

const fs::path& HistoryFixture::historyFile() {
    prepare();
    return historyFile_;
}

std::size_t HistoryFixture::draws() {
    prepare();
    return draws_;
}

fs::path HistoryFixture::freshCopy(const std::string& folderName) {
    prepare();
    const fs::path target = folder_ / folderName;
    copyDatabase(folder_ / kTemplateFolder, target);
    return target;
}

HistoryStore& HistoryFixture::store(const std::string& folderName) {
    std::unique_ptr<HistoryStore>& slot = stores_[folderName];
    if (!slot) slot = std::make_unique<HistoryStore>(freshCopy(folderName));
    return *slot;
}

void HistoryFixture::release() {
    stores_.clear();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        if (entry.is_directory() && entry.path().filename() != kTemplateFolder) {
            fs::remove_all(entry.path(), ec);
        }
    }
}

}  // namespace arrange5::bench
