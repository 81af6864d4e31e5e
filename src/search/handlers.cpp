#include "search/handlers.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>

#include "search/page_fetcher.h"
#include "search/search_rows.h"
#include "text/read_int.h"

namespace quillet {

namespace {

const std::string kCheckCaption = "Velmara电商学院友情提示：";
const std::string kNoPageCount = "请填写查询的页数";

struct ListFeature {
    const char* keywordBox;
    const char* pagesBox;
    const char* list;
};
const ListFeature kRankingList{"编辑框_关键词", "编辑框_页数", "超级列表框_排名"};
const ListFeature kPaidPlacementList{"编辑框_直通车关键词", "编辑框_直通车页数",
                                     "超级列表框_直通车"};

struct FinderFeature {
    const char* keywordBox;
    const char* idBox;
    const char* resultLabel;
    int pages;
    bool paidOnly;
    const char* missingInput;
    const char* labelPrefix;
    const char* found;
    const char* notFound;
};
const FinderFeature kRankFinder{.keywordBox = "编辑框_关键词pm",
                                .idBox = "编辑框_id",
                                .resultLabel = "透明标签jg",
                                .pages = kRankFinderPages,
                                .paidOnly = false,
                                .missingInput = "请填写关键词",
                                .labelPrefix = "综合手机端排名查询：",
                                .found = "恭喜你宝贝正常！",
                                .notFound = "手机前10屏没有找到亲的商品！"};
const FinderFeature kPaidRankFinder{.keywordBox = "编辑框_关键词ztc",
                                    .idBox = "编辑框_idztc",
                                    .resultLabel = "透明标签ztc",
                                    .pages = kPaidRankFinderPages,
                                    .paidOnly = true,
                                    .missingInput = "请填内容",
                                    .labelPrefix = "手机端直通车综合排名：",
                                    .found = "恭喜您直通车正常",
                                    .notFound = "很遗憾没有找到您的直通车"};

// Reads the page count box; false (after the message) when it is empty. A count of 0, a
// negative one or a text without a number fetches nothing.
bool readPageCount(Ui& ui, const ListFeature& feature, int& pageCount) {
    const std::string text = ui.GetControlText(feature.pagesBox);
    if (text.empty()) {
        ui.ShowMessage(kNoPageCount, 0, kCheckCaption);
        return false;
    }
    pageCount = static_cast<int>(std::clamp<long long>(ReadInt(text), 0, INT_MAX));
    return true;
}

// Adds a row at the end of the list, numbered with rank, and fills the given columns.
template <class Cells>
void addRow(Ui& ui, const char* list, int rank, const Cells& cells) {
    const int row = ui.ListAddRow(list, rank - 1, std::to_string(rank));
    for (std::size_t column = 1; column < cells.size(); ++column) {
        ui.ListSetCell(list, row, static_cast<int>(column), cells[column]);
    }
}

// Lists every row that cellsOf gives (an empty optional skips the item), ranked across pages.
template <class CellsOf>
void fillList(Ui& ui, const ListFeature& feature, int pagesInFlight, CellsOf cellsOf) {
    int pageCount = 0;
    if (!readPageCount(ui, feature, pageCount)) {
        return;
    }
    ui.ListClear(feature.list);
    // Read once, so that every page answers the same question however long the fetch takes.
    const std::string keyword = ui.GetControlText(feature.keywordBox);
    int rank = 1;
    ForEachSearchPage(keyword, pageCount, pagesInFlight,
                      [&](int, const JsonDocument& page, long long count) {
                          for (long long k = 1; k <= count; ++k) {
                              if (auto cells = cellsOf(page, k)) {
                                  addRow(ui, feature.list, rank, *cells);
                                  ++rank;
                              }
                          }
                          return true;
                      });
}

void findRank(Ui& ui, const FinderFeature& feature) {
    // Both boxes are read once: the scan then answers for the texts that were there when the
    // button was pressed, whatever is typed while it runs.
    const std::string keyword = ui.GetControlText(feature.keywordBox);
    const std::string itemId = keyword.empty() ? std::string() : ui.GetControlText(feature.idBox);
    if (itemId.empty()) {
        ui.ShowMessage(feature.missingInput, 0, kCheckCaption);
        return;
    }
    long long position = 0;
    // One page after the other: no page after the match is requested.
    ForEachSearchPage(keyword, feature.pages, 1,
                      [&](int, const JsonDocument& page, long long count) {
                          position = FindItemPosition(page, count, itemId, feature.paidOnly);
                          return position == 0;
                      });
    if (position > 0) {
        ui.SetControlText(feature.resultLabel,
                          feature.labelPrefix + std::to_string(position) + "名");
        ui.ShowMessage(feature.found);
    } else {
        ui.ShowMessage(feature.notFound);
    }
}

}  // namespace

void FillRankingList(Ui& ui, int pagesInFlight) {
    fillList(ui, kRankingList, pagesInFlight, [](const JsonDocument& page, long long k) {
        return std::optional(RankingRowCells(page, k));
    });
}

void FillPaidPlacementList(Ui& ui, int pagesInFlight) {
    fillList(ui, kPaidPlacementList, pagesInFlight, PaidPlacementRowCells);
}

void RankingListHandler(Ui& ui) {
    FillRankingList(ui, kListPagesInFlight);
}

void PaidPlacementListHandler(Ui& ui) {
    FillPaidPlacementList(ui, kListPagesInFlight);
}

void RankFinderHandler(Ui& ui) {
    findRank(ui, kRankFinder);
}

void PaidRankFinderHandler(Ui& ui) {
    findRank(ui, kPaidRankFinder);
}

void BindSearchHandlers(EventTable& events) {
    events.bind("获取", Event::Clicked, RankingListHandler);
    events.bind("获取1", Event::Clicked, PaidPlacementListHandler);
    events.bind("获取2", Event::Clicked, RankFinderHandler);
    events.bind("获取3", Event::Clicked, PaidRankFinderHandler);
}

}  // namespace quillet
