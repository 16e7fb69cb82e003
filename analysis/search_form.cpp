#include "analysis/search_form.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <vector>

#include "analysis/reference.h"
#include "analysis/segment_bases.h"
#include "store/errors.h"
#include "store/limits.h"

namespace arrange5 {

SearchForm::SearchForm(const UserSettings& stored, SaveOption save) : save_(std::move(save)) {
    input_.settings = {static_cast<CodeKind>(stored.searchKind), stored.freePositions,
                       stored.previousIssue, stored.lagN};
    input_.tally = {static_cast<CodeKind>(stored.resultKind), stored.resultPosition,
                    stored.groupSelection, stored.segmentBase};
    k_ = stored.combined;
}

void SearchForm::save(const SettingsField& field, int value) const {
    if (save_) save_(field, value);
}

void SearchForm::setSearchKind(CodeKind kind) {
    input_.settings.kind = kind;
    save(&UserSettings::searchKind, static_cast<int>(kind));
}

void SearchForm::setFreePositions(bool free) {
    input_.settings.freePositions = free;
    save(&UserSettings::freePositions, free);
    save(&UserSettings::previousIssue, input_.settings.previousIssue);
}

void SearchForm::setPreviousIssue(bool previous) {
    input_.settings.previousIssue = previous;
    save(&UserSettings::freePositions, input_.settings.freePositions);
    save(&UserSettings::previousIssue, previous);
}

bool SearchForm::setLagN(int n) {
    if (n < limits::kMinEarlier || n > limits::kMaxEarlier) return false;
    input_.settings.lagN = n;
    save(&UserSettings::lagN, n);
    return true;
}

void SearchForm::setGroup(bool group) {
    input_.tally.group = group;
    save(&UserSettings::groupSelection, group);
    save(&UserSettings::previousIssue, input_.settings.previousIssue);
}

void SearchForm::setResultKind(CodeKind kind) {
    input_.tally.resultKind = kind;
    save(&UserSettings::resultKind, static_cast<int>(kind));
}

void SearchForm::setResultPosition(int position) {
    input_.tally.resultPosition = position;
    save(&UserSettings::resultPosition, position);
}

bool SearchForm::setCombinationSize(int k) {
    // A combination of k positions exists for k = 1..5 only; any other number would search
    // nothing.
    if (k < 1 || k > limits::kPositions) return false;
    k_ = k;
    save(&UserSettings::combined, k);
    return true;
}

void SearchForm::useTypedReference(const ReferenceValues& values) {
    input_.source = ReferenceSource::Typed;
    input_.typed = values;
}

void SearchForm::useVerification(int32_t issue, bool onlyBefore) {
    input_.source = ReferenceSource::Verify;
    input_.issueToVerify = issue;
    input_.onlyBefore = onlyBefore;
}

void SearchForm::setRange(std::optional<int32_t> from, std::optional<int32_t> to) {
    input_.from = from;
    input_.to = to;
}

RangeUpdate SearchForm::rangeDefaults(const HistorySnapshot& rows) {
    rangeBounds_ = historyBounds(rows);
    RangeUpdate update;
    if (rows.empty()) return update;
    update.from = defaultRangeStart(rows, input_.settings);
    update.to = rows.back().issue;
    return update;
}

RangeUpdate SearchForm::followHistory(const std::string& fromText, const std::string& toText,
                                      const HistorySnapshot& rows, bool toDefaults) {
    if (toDefaults) return rangeDefaults(rows);
    const std::optional<HistoryBounds> now = historyBounds(rows);
    const RangeUpdate update =
        followHistoryChange(fromText, toText, rangeBounds_, now, input_.settings);
    if (now) rangeBounds_ = now;
    return update;
}

std::array<bool, 5> SearchForm::positionsTakingPart() const {
    if (combination) return {true, true, true, true, true};
    return input_.positions;
}

void SearchForm::checkReference(const ReferenceValues& reference) const {
    if (const auto why = impossibleReference(input_.settings.kind, reference,
                                             input_.tally.segmentBase, positionsTakingPart())) {
        throw InputError(input_.names.reference + "：" + *why);
    }
}

RowsNeeded SearchForm::rowsNeeded() const {
    return arrange5::rowsNeeded(input_);
}

SearchRequest SearchForm::request(const HistorySnapshot& rows) const {
    // A k outside 1..5 (a stored setting can hold any number) would search nothing.
    if (combination && (k_ < 1 || k_ > limits::kPositions)) {
        throw InputError(input_.names.k + "：组合位数 " + std::to_string(k_) +
                         " 不在 1 到 5 之间，没有这样的组合");
    }
    if (input_.source == ReferenceSource::Typed) checkReference(input_.typed);
    return buildSearchRequest(rows, input_);
}

SearchShape SearchForm::shape() const {
    return combination ? SearchShape::combined(k_) : SearchShape::single(input_.positions);
}

AssessedSearch SearchForm::run(HistoryStore& store, const SearchRequest& request,
                               StudyLog& study) const {
    requireSegmentBase(store, request);
    AssessedSearch out;
    out.request = request;
    out.shape = shape();
    out.setting = searchStudySetting(store.rows(), request, out.shape);
    out.result =
        combination ? runCombinationSearch(store, request, k_) : runSingleSearch(store, request);
    // Counted once the search has run: a refused one tested nothing, and one without hits or
    // without other rows to compare them with tests nothing either.
    if (comparesWithRest(out.result)) {
        out.study = countInStudy(study, out.setting);
    } else {
        try {
            out.study.place.searches = static_cast<int>(study.count());
        } catch (const Error& e) {
            out.study.warning = studyNotCountedWarning(e.what());
        }
    }
    out.chance = testAgainstChance(out.result, request.tally.resultKind, out.study.place);
    out.pattern = testAgainstRest(out.result, out.study.place);
    if (const auto warning = keepOutcome(study, out.study, out.setting.key, out.pattern.p,
                                         out.pattern.pAdjusted, out.pattern.verdict)) {
        out.study.warning = warning;
    }
    return out;
}

AssessedSearch SearchForm::run(HistoryStore& store, StudyLog& study) const {
    const RowsNeeded need = rowsNeeded();
    return run(store, request(store.readEnds(need.count, need.upTo)), study);
}

void SearchForm::requireWalkForwardOptions() const {
    if (input_.source == ReferenceSource::Typed) {
        throw InputError("backtest 不接受 " + input_.names.reference +
                         "：每个目标期的参考号码取自它之前的开奖号码");
    }
    if (input_.source == ReferenceSource::Verify) {
        throw InputError("backtest 不接受 " + input_.names.verify +
                         "：每个目标期都按验证指定期的规则检索");
    }
    if (input_.from || input_.to) {
        throw InputError("backtest 不接受 " + input_.names.from + "/" + input_.names.to +
                         "：每个目标期的检索范围是默认起期到它的前一期");
    }
}

PlannedBacktest SearchForm::planBacktest(const HistorySnapshot& rows,
                                         std::optional<int32_t> firstTarget,
                                         std::optional<int32_t> lastTarget, int top,
                                         StudyLog& study) const {
    requireValidLag(input_.settings);
    PlannedBacktest plan;
    BacktestRequest& request = plan.request;
    request.settings = input_.settings;
    request.tally = input_.tally;
    request.shape = shape();
    request.firstTarget = firstTarget;
    request.lastTarget = lastTarget;
    request.top = top;
    // Counted before the run, which the count corrects; a refused request tested nothing
    // and is left out.
    validateBacktestRequest(rows, request);
    requireSegmentBase(storedSegmentBases(rows), request.settings, request.tally);
    plan.setting = backtestStudySetting(rows, request);
    plan.study = countInStudy(study, plan.setting);
    request.place = plan.study.place;
    return plan;
}

namespace {

std::vector<std::string_view> splitList(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const auto comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        items.push_back(item);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return items;
}

std::optional<int> parseInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

CodeKind parseSearchKind(const std::string& text, const std::string& option) {
    static const std::array<std::string_view, kCodeKindCount> names = {"number", "bigsmall",
                                                                       "oddeven", "segment"};
    for (int k = 0; k < kCodeKindCount; ++k) {
        if (text == names[k] || text == std::to_string(k)) return static_cast<CodeKind>(k);
    }
    throw InputError(option + "：“" + text +
                     "”不是搜索类型（number、bigsmall、oddeven、segment 或 0..3）");
}

std::array<bool, 5> parsePositionList(const std::string& text, const std::string& option) {
    std::array<bool, 5> chosen{};
    if (text.empty()) return chosen;
    for (std::string_view item : splitList(text)) {
        const auto p = parseInt(item);
        if (!p || *p < 1 || *p > limits::kPositions) {
            throw InputError(option + "：“" + std::string(item) + "”不是 1 到 5 的位置");
        }
        if (chosen[*p - 1]) {
            throw InputError(option + "：位置 " + std::string(item) + " 给了两次");
        }
        chosen[*p - 1] = true;
    }
    return chosen;
}

ReferenceValues parseReferenceList(const std::string& text, const std::string& option) {
    const auto items = splitList(text);
    if (items.size() != static_cast<std::size_t>(limits::kPositions)) {
        throw InputError(option + " 需要五个以逗号分隔的值，例如 1,2,3,4,5");
    }
    ReferenceValues values{};
    for (int i = 0; i < limits::kPositions; ++i) {
        const auto v = parseInt(items[i]);
        if (!v || *v < std::numeric_limits<int16_t>::min() ||
            *v > std::numeric_limits<int16_t>::max()) {
            throw InputError(option + "：“" + std::string(items[i]) + "”不是整数");
        }
        values[i] = static_cast<int16_t>(*v);
    }
    return values;
}

StudyCount countInStudy(StudyLog& study, const StudySetting& setting) {
    StudyCount counted;
    try {
        counted.place = study.record(setting);
    } catch (const Error& e) {
        // The answer is still given, but a test the study did not count is not judged: its
        // level would be taken from a share of the 5 % that no setting paid for.
        counted.warning = studyNotCountedWarning(e.what());
    }
    return counted;
}

std::optional<std::string> keepOutcome(StudyLog& study, const StudyCount& counted,
                                       const std::string& key, std::optional<double> p,
                                       std::optional<double> pAdjusted,
                                       const std::string& verdict) {
    if (!counted.place.counted()) return std::nullopt;
    try {
        study.noteOutcome(key, p, pAdjusted, verdict);
    } catch (const Error& e) {
        return "这次的结论没有记入研究记录（" + std::string(e.what()) + "）";
    }
    return std::nullopt;
}

std::optional<std::string> keepBacktestOutcome(StudyLog& study, const PlannedBacktest& plan,
                                               const BacktestResult& result) {
    if (result.cancelled) return std::nullopt;
    const BacktestSummary& s = result.summary;
    return keepOutcome(study, plan.study, plan.setting.key, s.p, s.pAdjusted, s.verdict);
}

std::string studyNotCountedWarning(const std::string& reason) {
    return "这次检索没有计入本次研究（" + reason + "）；它的检验因此不作判断";
}

}  // namespace arrange5
