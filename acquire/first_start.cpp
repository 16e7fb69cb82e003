#include "acquire/first_start.h"

#include "store/data_folder.h"

namespace arrange5 {

namespace fs = std::filesystem;

ReplaceReport fillFromBundledHistory(HistoryStore& store, const fs::path& bundled) {
    const fs::path folder = store.folder() / fs::path(kImportFolderName);
    const fs::path copy = folder / bundled.filename();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::exists(copy, ec)) fs::copy_file(bundled, copy, ec);
    const fs::path source = fs::is_regular_file(copy, ec) ? copy : bundled;
    return importHistoryFile(store, source);
}

}  // namespace arrange5
