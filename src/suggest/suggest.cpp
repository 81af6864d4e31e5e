#include "suggest/suggest.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "net/endpoints.h"
#include "net/web_access.h"
#include "text/codepage.h"
#include "text/coding.h"
#include "text/text_between.h"
#include "text/text_util.h"

namespace quillet {

namespace {

// Both values are what the endpoint's own page sends; the endpoint answers JSONP only with them.
constexpr std::string_view kQueryTail =
    "&_ksTS=1499418900615_2121&callback=jsonp2122&k=1&area=c2c&bucketid=5";

struct Shared {
    std::mutex mutex;  // guards answer and search
    std::string answer;
    std::uint64_t search = 0;
    // Held by the hot-tag job that fills the list, so that the rows of two jobs never mix.
    std::mutex hotTagList;
};

Shared& shared() {
    static Shared state;
    return state;
}

bool isLatestSearch(std::uint64_t search) {
    std::lock_guard lock(shared().mutex);
    return shared().search == search;
}

std::function<void()> pendingEvents(Ui& ui) {
    return [&ui] { ui.ProcessPendingEvents(); };
}

}  // namespace

std::string SuggestAddress(std::string_view keyword) {
    return Endpoint("suggest") + "/sug?code=utf-8&q=" + urlEncode(keyword, false, true) +
           std::string(kQueryTail);
}

std::vector<SuggestionRow> SuggestionRows(std::string_view answer,
                                          const std::function<void()>& processPendingEvents) {
    std::vector<SuggestionRow> rows;
    for (const std::string& segment : CollectBetween(answer, "[\"", "\"]", processPendingEvents)) {
        rows.push_back({TextLeftOf(segment, "\","), textAfterLast(segment, ",\"")});
    }
    return rows;
}

bool HasHotTags(std::string_view answer) {
    return findText(answer, "\"magic\":") != kNotFound;
}

std::vector<HotTagRow> HotTagRows(std::string_view answer,
                                  const std::function<void()>& processPendingEvents) {
    std::vector<HotTagRow> rows;
    for (const std::string& segment :
         CollectBetween(answer, "\"title\":", "}", processPendingEvents)) {
        // "hot" anywhere marks the tag, also inside the tag text itself.
        if (findText(segment, "hot") != kNotFound) {
            rows.push_back({"热搜", TextBetween(segment, "\"", "\",\"type\"")});
        } else {
            rows.push_back({"一般", TextBetween(segment, "\"", "\"")});
        }
    }
    return rows;
}

SuggestionSnapshot SuggestionAnswer() {
    std::lock_guard lock(shared().mutex);
    return {shared().answer, shared().search};
}

std::uint64_t StoreSuggestionAnswer(std::string answer) {
    std::lock_guard lock(shared().mutex);
    shared().answer = std::move(answer);
    return ++shared().search;
}

void KeywordSearch(Ui& ui) {
    const std::string keyword = ui.GetControlText(kSuggestKeywordBox);
    if (keyword.empty()) {
        ui.ShowMessage("没有输入关键词！", 0, "友情提示");
        return;
    }
    ui.ListClear(kSuggestionList);

    Bytes body = WebAccessObject(SuggestAddress(keyword));
    // Taken as text, the answer ends at a zero byte; broken UTF-8 is replaced rather than kept.
    body.resize(std::min(body.find('\0'), body.size()));
    const std::string answer = sanitizeUtf8(body);
    StoreSuggestionAnswer(answer);
    ui.StartWorker(HotTagJob);

    const std::vector<SuggestionRow> rows = SuggestionRows(answer, pendingEvents(ui));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        int row = ui.ListAddRow(kSuggestionList, std::nullopt, std::to_string(i + 1));
        ui.ListSetCell(kSuggestionList, row, 1, rows[i].word);
        ui.ListSetCell(kSuggestionList, row, 2, rows[i].volume);
    }
}

void HotTagJob(Ui& ui) {
    const SuggestionSnapshot snapshot = SuggestionAnswer();
    bool hasTags = false;
    {
        std::lock_guard fill(shared().hotTagList);
        // Once a newer search has stored its answer, its own job fills the list; this one
        // leaves it alone.
        if (!isLatestSearch(snapshot.search)) {
            return;
        }
        ui.ListClear(kHotTagList);
        hasTags = HasHotTags(snapshot.answer);
        if (hasTags) {
            const std::vector<HotTagRow> rows = HotTagRows(snapshot.answer, pendingEvents(ui));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (!isLatestSearch(snapshot.search)) {
                    return;
                }
                int row = ui.ListAddRow(kHotTagList, std::nullopt, std::to_string(i + 1));
                ui.ListSetCell(kHotTagList, row, 1, rows[i].kind);
                ui.ListSetCell(kHotTagList, row, 2, rows[i].name);
            }
        }
    }
    // Outside the lock: the box waits for the user, and only this worker waits with it.
    if (!hasTags) {
        ui.ShowMessage("无热门标签");
    }
}

}  // namespace quillet
