#pragma once

#include <QString>

#include "acquire/online_update.h"
#include "acquire/online_update_plan.h"

class QWidget;

namespace arrange5 {

class Dialogs;

// "确实要在线更新最新历史号码吗？将从体彩官方数据读取：https://…。……": the confirmation names
// the source and the address the update will read.
QString updateQuestion(const UpdateChoices& choices);

// The answer to the early-history question.
enum class EarlyYearsAnswer { KeepAll, Purge, Cancel };

// Asks whether the years before the years to keep are deleted. 保留全部并更新 is the default;
// Escape and the close box cancel. `keepAllFromNowOn` becomes true when the user ticked
// "以后不再询问，保留全部" and kept everything.
EarlyYearsAnswer askAboutEarlyYears(Dialogs& dialogs, QWidget* parent, const PurgeProposal& purge,
                                    bool& keepAllFromNowOn);

// The progress box's first line before anything is read: "正在连接体彩官方数据……".
QString connectingText(const UpdateChoices& choices);

}  // namespace arrange5
