#include "app/update_questions.h"

#include "app/dialogs.h"

namespace arrange5 {

namespace {

QString label(const UpdateChoices& choices) {
    return QString::fromStdString(updateSourceLabel(choices.source, addressRead(choices)));
}

}  // namespace

// The traditional question blamed "我方服务器", a server this program never had; it names the
// source actually read instead.
QString updateQuestion(const UpdateChoices& choices) {
    const std::string_view name = updateSourceName(choices.source);
    return QStringLiteral(
               "确实要在线更新最新历史号码吗？将从%1读取：\n%2\n更新可能要花费一段时间，网络不通或"
               "者开奖数据的来源更新不及时都可能造成更新失败！")
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
             QString::fromStdString(addressRead(choices)));
}

EarlyYearsAnswer askAboutEarlyYears(Dialogs& dialogs, QWidget* parent, const PurgeProposal& purge,
                                    bool& keepAllFromNowOn) {
    bool dontAsk = false;
    const int answer = dialogs.chooseWithCheckBox(
        parent, QStringLiteral("删除早期历史"), QString::fromStdString(purge.question()),
        {QStringLiteral("保留全部并更新"), QStringLiteral("删除并更新"), QStringLiteral("取消")}, 0,
        2, QStringLiteral("以后不再询问，保留全部"), dontAsk);
    const auto chosen = static_cast<EarlyYearsAnswer>(answer);
    keepAllFromNowOn = dontAsk && chosen == EarlyYearsAnswer::KeepAll;
    return chosen;
}

QString connectingText(const UpdateChoices& choices) {
    return QStringLiteral("正在连接%1……").arg(label(choices));
}

}  // namespace arrange5
