// The four search handlers on FakeUi against the fake marketplace on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "fake-marketplace/fake_marketplace.h"
#include "fake_ui.h"
#include "net/endpoints.h"
#include "search/handlers.h"
#include "search/search_page.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;
using fake::SearchItem;
using Page = std::vector<SearchItem>;

const std::string kCheckCaption = "Velmara电商学院友情提示：";

SearchItem item(const std::string& id, const std::string& isP4p = "false") {
    SearchItem s;
    s.itemNumId = id;
    s.title = "标题" + id;
    s.sold = "1" + id;
    s.commentCount = "7";
    s.nick = "店铺" + id;
    s.isB2c = "0";
    s.originalPrice = "99.00";
    s.priceWap = "59.00";
    s.isP4p = isP4p;
    s.location = "浙江 杭州";
    return s;
}

// n items with IDs prefix1 .. prefixN.
Page items(const std::string& prefix, int n) {
    Page page;
    for (int i = 1; i <= n; ++i) {
        page.push_back(item(prefix + std::to_string(i)));
    }
    return page;
}

class SearchHandlers : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("quillet-search-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        market.writeEndpointsFile(dir / "endpoints.txt");
        setenv("QUILLET_ENDPOINTS", (dir / "endpoints.txt").c_str(), 1);
        ReloadEndpoints();
        BindSearchHandlers(events);
    }
    void TearDown() override {
        unsetenv("QUILLET_ENDPOINTS");
        ReloadEndpoints();
        fs::remove_all(dir);
    }

    std::vector<fake::LoggedRequest> searches() const {
        return market.requests(fake::kMobileSearch);
    }
    // Page numbers asked for, in the order they arrived.
    std::vector<std::string> pagesAsked() const {
        std::vector<std::string> pages;
        for (const auto& r : searches()) {
            pages.push_back(r.query("page"));
        }
        return pages;
    }
    std::vector<std::string> column(const std::string& list, int col) const {
        std::vector<std::string> cells;
        for (int r = 0; r < ui.rowCount(list); ++r) {
            cells.push_back(ui.row(list, r).at(static_cast<std::size_t>(col)));
        }
        return cells;
    }
    static std::vector<std::string> numbers(int from, int to) {
        std::vector<std::string> out;
        for (int i = from; i <= to; ++i) {
            out.push_back(std::to_string(i));
        }
        return out;
    }

    fs::path dir;
    fake::FakeMarketplace market;
    EventTable events;
    FakeUi ui{&events};
};

// ---- ranking list (获取) ----

TEST_F(SearchHandlers, RankingListRanksOnAcrossPagesAndFillsEveryColumn) {
    Page first = items("a", 20);
    first[1].commentCount = "";  // a paid slot without reviews
    first[1].isP4p = "true";
    first[2].isB2c = "1";
    first[3].isB2c.reset();
    market.setSearchPages("连衣裙", std::vector<Page>{first, items("b", 18)});
    ui.type("编辑框_关键词", "连衣裙");
    ui.type("编辑框_页数", "2");
    ASSERT_TRUE(ui.click("获取"));

    const std::string list = "超级列表框_排名";
    ASSERT_EQ(ui.rowCount(list), 38);
    EXPECT_EQ(column(list, 0), numbers(1, 38));
    std::vector<std::string> ids;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 1; i <= (prefix[0] == 'a' ? 20 : 18); ++i) {
            ids.push_back(prefix + std::to_string(i));
        }
    }
    EXPECT_EQ(column(list, 8), ids);
    EXPECT_EQ(ui.row(list, 0),
              (std::vector<std::string>{"1", "标题a1", "1a1", "7", "店铺a1", "淘宝", "99.00",
                                        "59.00", "a1", "浙江 杭州"}));
    EXPECT_EQ(ui.row(list, 1)[3], "车位");
    EXPECT_EQ(ui.row(list, 2)[5], "天猫");
    EXPECT_EQ(ui.row(list, 3)[5], "天猫");
    EXPECT_EQ(ui.row(list, 20)[0], "21");  // first item of page 2
    EXPECT_TRUE(ui.messages().empty());
    auto asked = pagesAsked();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"1", "2"}));

    // A second press starts over at rank 1.
    ui.type("编辑框_页数", "1");
    ui.click("获取");
    ASSERT_EQ(ui.rowCount(list), 20);
    EXPECT_EQ(column(list, 0), numbers(1, 20));
}

TEST_F(SearchHandlers, FullWidthPageCountAndEveryKeywordByteEscaped) {
    ui.type("编辑框_关键词", "连衣裙 夏 a1");
    ui.type("编辑框_页数", "０２");
    ui.click("获取");

    const auto sent = searches();
    ASSERT_EQ(sent.size(), 2u);
    const fake::LoggedRequest& first = sent[0].query("page") == "1" ? sent[0] : sent[1];
    EXPECT_EQ(first.method, "GET");
    EXPECT_EQ(first.path, "/search");
    EXPECT_EQ(first.body, "");
    EXPECT_EQ(first.target,
              "/search?event_submit_do_new_search_auction=1&_input_charset=utf-8&topSearch=1"
              "&atype=b&searchfrom=1&action=home%3Aredirect_app_action&from=1"
              "&q=%E8%BF%9E%E8%A1%A3%E8%A3%99%20%E5%A4%8F%20%61%31"
              "&sst=1&n=20&buying=buyitnow&m=api4h5&abtest=14&wlsort=14&page=1");
    EXPECT_EQ(ui.rowCount("超级列表框_排名"), 2 * kSearchPageSize);  // generated full pages
}

struct ListCase {
    const char* button;
    const char* pagesBox;
    const char* list;
};
const ListCase kLists[] = {
    {"获取", "编辑框_页数", "超级列表框_排名"},
    {"获取1", "编辑框_直通车页数", "超级列表框_直通车"},
};

TEST_F(SearchHandlers, EmptyPageCountAsksForItAndKeepsTheList) {
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.button);
        ui.ListClear(c.list);
        ui.ListAddRow(c.list, std::nullopt, std::string("old"));
        const auto before = ui.messages().size();
        ui.type(c.pagesBox, "");
        ui.click(c.button);
        const auto messages = ui.messages();
        ASSERT_EQ(messages.size(), before + 1);
        EXPECT_EQ(messages.back().text, "请填写查询的页数");
        EXPECT_EQ(messages.back().buttons, 0);
        EXPECT_EQ(messages.back().caption, kCheckCaption);
        EXPECT_EQ(ui.rowCount(c.list), 1);
    }
    EXPECT_TRUE(searches().empty());
}

TEST_F(SearchHandlers, PageCountWithoutAPositiveNumberClearsAndFetchesNothing) {
    for (const ListCase& c : kLists) {
        for (const char* count : {"0", "-3", "abc", " "}) {
            SCOPED_TRACE(std::string(c.button) + " \"" + count + "\"");
            ui.ListAddRow(c.list, std::nullopt, std::string("old"));
            ui.type(c.pagesBox, count);
            ui.click(c.button);
            EXPECT_EQ(ui.rowCount(c.list), 0);
        }
    }
    EXPECT_TRUE(searches().empty());
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SearchHandlers, FailedAndNonJsonPagesAddNoRowsAndTheSearchGoesOn) {
    fake::SearchPage html;
    html.rawBody = "<html><body>系统繁忙</body></html>";
    fake::SearchPage failed;
    failed.status = 500;
    failed.rawBody = "";
    fake::SearchPage noList;
    noList.rawBody = R"({"result":"ok","totalPage":"5"})";
    std::vector<fake::SearchPage> pages(5);
    pages[0].items = items("a", 3);
    pages[1] = html;
    pages[2] = failed;
    pages[3] = noList;
    pages[4].items = items("e", 2);
    market.setSearchPages("k", pages);
    ui.type("编辑框_关键词", "k");
    ui.type("编辑框_页数", "5");
    ui.click("获取");

    EXPECT_EQ(column("超级列表框_排名", 0), numbers(1, 5));
    EXPECT_EQ(column("超级列表框_排名", 8),
              (std::vector<std::string>{"a1", "a2", "a3", "e1", "e2"}));
    EXPECT_EQ(searches().size(), 5u);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SearchHandlers, ListPagesComeFourAtATimeAndAreListedInPageOrder) {
    std::vector<Page> pages;
    for (int p = 1; p <= 10; ++p) {
        pages.push_back(items("p" + std::to_string(p) + "-", 2));
    }
    market.setSearchPages("裙", pages);
    std::atomic<int> active{0};
    std::atomic<int> most{0};
    market.setHandler(fake::kMobileSearch, [&](const fake::LoggedRequest& r) {
        const int now = ++active;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        if (r.query("page") == "1") {
            // Typed while the search runs: the pages still to come keep the first keyword.
            ui.type("编辑框_关键词", "别的");
        }
        // Page 1 answers last of its group, so later pages wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(r.query("page") == "1" ? 400 : 150));
        --active;
        return std::optional<fake::Answer>();
    });
    ui.type("编辑框_关键词", "裙");
    ui.type("编辑框_页数", "10");
    ui.click("获取");

    std::vector<std::string> ids;
    for (int p = 1; p <= 10; ++p) {
        for (int i = 1; i <= 2; ++i) {
            ids.push_back("p" + std::to_string(p) + "-" + std::to_string(i));
        }
    }
    EXPECT_EQ(column("超级列表框_排名", 8), ids);
    EXPECT_EQ(column("超级列表框_排名", 0), numbers(1, 20));
    EXPECT_EQ(most.load(), kListPagesInFlight);
    const auto sent = searches();
    ASSERT_EQ(sent.size(), 10u);
    for (const auto& r : sent) {
        EXPECT_EQ(r.query("q"), "裙");
    }
}

// ---- paid-placement list (获取1) ----

TEST_F(SearchHandlers, PaidPlacementListKeepsOnlyTheTextTrueAndRanksOn) {
    Page first{item("a", "true"), item("b", "false"), item("c", "true")};
    first[2].isB2c = "1";
    Page second{item("d", "TRUE"), item("e"), item("f", "true"), item("g", "true"),
                item("h", "true")};
    second[1].isP4p.reset();
    market.setSearchPages("直通车", std::vector<Page>{first, second});
    ui.type("编辑框_直通车关键词", "直通车");
    ui.type("编辑框_直通车页数", "2");
    ASSERT_TRUE(ui.click("获取1"));

    const std::string list = "超级列表框_直通车";
    EXPECT_EQ(column(list, 0), numbers(1, 5));
    EXPECT_EQ(column(list, 4), (std::vector<std::string>{"a", "c", "f", "g", "h"}));
    EXPECT_EQ(ui.row(list, 0),
              (std::vector<std::string>{"1", "标题a", "1a", "店铺a", "a", "淘宝", "浙江 杭州"}));
    EXPECT_EQ(ui.row(list, 1)[5], "天猫");
    EXPECT_TRUE(ui.messages().empty());
}

// ---- rank finders (获取2, 获取3) ----

TEST_F(SearchHandlers, FinderStopsAtTheFirstMatchWithThePositionOnItsPage) {
    Page withTarget = items("x", 20);
    withTarget[2].itemNumId = "9003";
    market.setSearchPages("一页", std::vector<Page>{withTarget, items("y", 20)});
    ui.type("编辑框_关键词pm", "一页");
    ui.type("编辑框_id", "9003");
    ASSERT_TRUE(ui.click("获取2"));
    EXPECT_EQ(ui.GetControlText("透明标签jg"), "综合手机端排名查询：3名");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "恭喜你宝贝正常！");
    EXPECT_EQ(ui.messages()[0].caption, "信息：");
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"1"}));

    // The 7th item of page 4 shows 7, not 67.
    std::vector<Page> pages{items("p", 20), items("q", 20), items("r", 20), items("s", 20),
                            items("t", 20)};
    pages[3][6].itemNumId = "9407";
    market.setSearchPages("四页", pages);
    market.clearLog();
    ui.type("编辑框_关键词pm", "四页");
    ui.type("编辑框_id", "9407");
    ui.click("获取2");
    EXPECT_EQ(ui.GetControlText("透明标签jg"), "综合手机端排名查询：7名");
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST_F(SearchHandlers, PaidFinderPassesOverTheSameIdWhenNotPaid) {
    Page first = items("x", 20);
    first[4].itemNumId = "8888";  // unpaid on page 1
    Page second = items("y", 20);
    second[1].itemNumId = "8888";  // still unpaid
    second[4] = item("8888", "true");
    market.setSearchPages("车", std::vector<Page>{first, second});
    ui.type("编辑框_关键词ztc", "车");
    ui.type("编辑框_idztc", "8888");
    ASSERT_TRUE(ui.click("获取3"));
    EXPECT_EQ(ui.GetControlText("透明标签ztc"), "手机端直通车综合排名：5名");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "恭喜您直通车正常");
    EXPECT_EQ(ui.messages()[0].caption, "信息：");
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"1", "2"}));
}

TEST_F(SearchHandlers, FinderNotFoundScansAllItsPagesAndKeepsTheLabel) {
    market.setSearchPages("有", std::vector<Page>{Page{item("700")}});
    struct Case {
        const char* button;
        const char* keywordBox;
        const char* idBox;
        const char* label;
        const char* keyword;
        const char* id;
        int pages;
        const char* message;
    };
    const Case cases[] = {
        {"获取2", "编辑框_关键词pm", "编辑框_id", "透明标签jg", "无此", "1", 10,
         "手机前10屏没有找到亲的商品！"},
        {"获取2", "编辑框_关键词pm", "编辑框_id", "透明标签jg", "有", "700 ", 10,
         "手机前10屏没有找到亲的商品！"},
        {"获取3", "编辑框_关键词ztc", "编辑框_idztc", "透明标签ztc", "无此", "1", 20,
         "很遗憾没有找到您的直通车"},
        {"获取3", "编辑框_关键词ztc", "编辑框_idztc", "透明标签ztc", "有", "700", 20,
         "很遗憾没有找到您的直通车"},  // listed, but not as a paid placement
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.keyword + " \"" + c.id + "\"");
        market.clearLog();
        const std::string labelBefore = ui.GetControlText(c.label);
        const auto before = ui.messages().size();
        ui.type(c.keywordBox, c.keyword);
        ui.type(c.idBox, c.id);
        ui.click(c.button);
        EXPECT_EQ(pagesAsked(), numbers(1, c.pages));
        EXPECT_EQ(ui.GetControlText(c.label), labelBefore);
        const auto messages = ui.messages();
        ASSERT_EQ(messages.size(), before + 1);
        EXPECT_EQ(messages.back().text, c.message);
        EXPECT_EQ(messages.back().caption, "信息：");
    }
}

TEST_F(SearchHandlers, FinderWithoutKeywordOrIdOnlyAsks) {
    struct Case {
        const char* button;
        const char* keywordBox;
        const char* idBox;
        const char* keyword;
        const char* id;
        const char* message;
    };
    const Case cases[] = {
        {"获取2", "编辑框_关键词pm", "编辑框_id", "", "1", "请填写关键词"},
        {"获取2", "编辑框_关键词pm", "编辑框_id", "裙", "", "请填写关键词"},
        {"获取3", "编辑框_关键词ztc", "编辑框_idztc", "", "1", "请填内容"},
        {"获取3", "编辑框_关键词ztc", "编辑框_idztc", "裙", "", "请填内容"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " \"" + c.keyword + "\" \"" + c.id + "\"");
        const auto before = ui.messages().size();
        ui.type(c.keywordBox, c.keyword);
        ui.type(c.idBox, c.id);
        ui.click(c.button);
        const auto messages = ui.messages();
        ASSERT_EQ(messages.size(), before + 1);
        EXPECT_EQ(messages.back().text, c.message);
        EXPECT_EQ(messages.back().buttons, 0);
        EXPECT_EQ(messages.back().caption, kCheckCaption);
    }
    EXPECT_TRUE(searches().empty());
    EXPECT_EQ(ui.GetControlText("透明标签jg"), "手机端综合排名：");
    EXPECT_EQ(ui.GetControlText("透明标签ztc"), "手机端直通车综合排名：");
}

TEST_F(SearchHandlers, FinderSkipsADroppedAndANonJsonPage) {
    fake::SearchPage html;
    html.rawBody = "<html>验证</html>";
    std::vector<fake::SearchPage> pages(3);
    pages[0].items = items("a", 20);  // dropped below
    pages[0].items[0].itemNumId = "555";
    pages[1] = html;
    pages[2].items = items("c", 20);
    pages[2].items[1].itemNumId = "555";
    market.setSearchPages("断", pages);
    fake::Fault drop;
    drop.kind = fake::Fault::Kind::DropConnection;
    drop.times = 1;
    market.setFault(fake::kMobileSearch, drop);
    ui.type("编辑框_关键词pm", "断");
    ui.type("编辑框_id", "555");
    ui.click("获取2");
    EXPECT_EQ(ui.GetControlText("透明标签jg"), "综合手机端排名查询：2名");
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"1", "2", "3"}));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "恭喜你宝贝正常！");
}

}  // namespace
}  // namespace quillet
