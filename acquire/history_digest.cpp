#include "acquire/history_digest.h"

#include "acquire/export_text.h"
#include "store/sha256.h"

namespace arrange5 {

std::string historyDigest(const HistorySnapshot& rows) {
    return sha256Hex(exportTextOf(rows), "历史号码的 SHA-256 校验值");
}

std::string summaryWithDigest(const std::string& summary, const HistorySnapshot& rows) {
    const std::string tag = "SHA-256 " + historyDigest(rows).substr(0, kShortDigestLength);
    return summary.empty() ? tag : summary + "；" + tag;
}

}  // namespace arrange5
