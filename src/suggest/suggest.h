#pragma once
// Keyword suggestions and hot tags: one answer of the suggestion endpoint gives the suggested
// words with their search volume (filled by the search handler) and the keyword's hot tags
// (filled by the hot-tag worker). The cutting of the answer is kept apart from the fetching so
// that it can be checked on plain texts.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

namespace quillet {

inline constexpr const char* kSuggestKeywordBox = "编辑框1";
inline constexpr const char* kSuggestButton = "按钮搜索";
inline constexpr const char* kSuggestionList = "超级列表框关键词1";
inline constexpr const char* kHotTagList = "超级列表框1";

// The suggestion endpoint's address for a keyword: every byte of its UTF-8 form escaped,
// followed by the fixed query tail the endpoint expects.
std::string SuggestAddress(std::string_view keyword);

struct SuggestionRow {
    std::string word;
    std::string volume;  // exactly as the answer writes it
};
struct HotTagRow {
    std::string kind;  // "热搜" or "一般"
    std::string name;
};

// The suggestion rows of an answer, in answer order. processPendingEvents runs between the
// segments (the UI's stop check inside jobs).
std::vector<SuggestionRow> SuggestionRows(std::string_view answer,
                                          const std::function<void()>& processPendingEvents = {});
// True when the answer carries a tag member at all.
bool HasHotTags(std::string_view answer);
// The hot-tag rows of an answer, searched over the whole answer.
std::vector<HotTagRow> HotTagRows(std::string_view answer,
                                  const std::function<void()>& processPendingEvents = {});

// The latest search's answer, as a copy that no later search can change.
struct SuggestionSnapshot {
    std::string answer;
    std::uint64_t search = 0;  // counts the searches of the run; 0 before the first
};
SuggestionSnapshot SuggestionAnswer();
// Replaces the program-wide answer, as a finished request does; returns its search number.
std::uint64_t StoreSuggestionAnswer(std::string answer);

// The click of 按钮搜索.
void KeywordSearch(Ui& ui);
// The worker the search starts: fills the hot-tag list from the answer of the moment it starts.
void HotTagJob(Ui& ui);

}  // namespace quillet
