#include "suggest/suggest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "fake_ui.h"
#include "suggest/handlers.h"
#include "suggest_env.h"

namespace quillet {
namespace {

using Rows = std::vector<std::vector<std::string>>;
const std::string kTail = "&_ksTS=1499418900615_2121&callback=jsonp2122&k=1&area=c2c&bucketid=5";

class Suggestions : public ::testing::Test {
protected:
    Suggestions() : ui(&events) { BindSuggestHandlers(events); }

    void search(const std::string& keyword) {
        ui.type(kSuggestKeywordBox, keyword);
        ASSERT_TRUE(ui.click(kSuggestButton));
        ui.waitForWorkers();
    }
    Rows rows(const std::string& list) const {
        Rows out;
        for (int i = 0; i < ui.rowCount(list); ++i) {
            out.push_back(ui.row(list, i));
        }
        return out;
    }

    test::SuggestServer server;
    EventTable events;
    FakeUi ui;
};

TEST_F(Suggestions, EveryByteOfTheKeywordIsEscapedAndTheTailIsFixed) {
    struct Case {
        std::string keyword, q;
    } cases[] = {
        {"ab", "%61%62"},  // letters are escaped too
        {"手机", "%E6%89%8B%E6%9C%BA"},
        {"  ", "%20%20"},  // spaces alone are a keyword and are searched
        {"a&b=c", "%61%26%62%3D%63"},
    };
    for (const auto& c : cases) {
        server.market().clearLog();
        search(c.keyword);
        auto sent = server.market().requests(fake::kSuggest);
        ASSERT_EQ(sent.size(), 1u) << c.keyword;
        EXPECT_EQ(sent[0].method, "GET");
        EXPECT_TRUE(sent[0].tls);
        EXPECT_EQ(sent[0].target, "/sug?code=utf-8&q=" + c.q + kTail);
        EXPECT_EQ(sent[0].query("q"), c.keyword);
        // The object request's defaults and nothing else: no cookie, no body.
        EXPECT_EQ(sent[0].headerNames(),
                  (std::vector<std::string>{"Host", "Accept", "Referer", "Accept-Language",
                                            "User-Agent"}));
        EXPECT_EQ(sent[0].header("Referer"), SuggestAddress(c.keyword));
        EXPECT_EQ(sent[0].header("Accept-Language"), "zh-cn");
        EXPECT_TRUE(sent[0].body.empty());
    }
    for (const auto& m : ui.messages()) {
        EXPECT_NE(m.text, "没有输入关键词！");  // the catalog may give keywords without tags
    }
}

TEST_F(Suggestions, AnEmptyKeywordAsksForOneAndLeavesBothListsAlone) {
    ui.ListAddRow(kSuggestionList, std::nullopt, std::string("1"));
    ui.ListAddRow(kHotTagList, std::nullopt, std::string("1"));
    search("");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "没有输入关键词！");
    EXPECT_EQ(ui.messages()[0].caption, "友情提示");
    EXPECT_EQ(ui.messages()[0].buttons, 0);
    EXPECT_EQ(ui.rowCount(kSuggestionList), 1);
    EXPECT_EQ(ui.rowCount(kHotTagList), 1);
    EXPECT_TRUE(server.market().requests(fake::kSuggest).empty());
}

TEST_F(Suggestions, TheMarketplacesAnswerFillsBothLists) {
    server.market().setSuggestions("手机壳",
                                   {{{"手机壳", "1234"}, {"手机壳女", "567"}},
                                    {{{"碎花", false}, {"ins风", true}}, {{"学生 党", false}}},
                                    true});
    search("手机壳");
    EXPECT_EQ(rows(kSuggestionList), (Rows{{"1", "手机壳", "1234"}, {"2", "手机壳女", "567"}}));
    EXPECT_EQ(rows(kHotTagList),
              (Rows{{"1", "一般", "碎花"}, {"2", "热搜", "ins风"}, {"3", "一般", "学生 党"}}));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_GE(ui.pendingEventCalls(), 3 * 2);  // the cutting lets the window breathe
}

// Answers written by hand, shaped as the endpoint writes them.
TEST_F(Suggestions, AnswersAreCutByTheirMarkersAlone) {
    struct Case {
        const char* what;
        std::string body;
        Rows words, tags;
        bool noTagsMessage;
    } cases[] = {
        {"no word list, no tag member", R"(jsonp2122({"result":[]}))", {}, {}, true},
        {"a type member other than hot",
         R"(jsonp2122({"result":[["x","9"]],"magic":[{"data":[[{"title":"x","type":"normal"}]]}]}))",
         {{"1", "x", "9"}},
         {{"1", "一般", "x"}},
         false},
        {"hot inside the tag text and no type member",
         R"({"result":[],"magic":[{"data":[[{"title":"hotdog"},{"title":"b","type":"hot"}]]}]})",
         {},
         {{"1", "热搜", ""}, {"2", "热搜", "b"}},
         false},
        {"blank segments are skipped and the numbering stays consecutive",
         "{\"result\":[[\"x\",\"9\"],[\"   \"],[\"\xE3\x80\x80\"],[\"y\",\"8\"]],"
         "\"magic\":[{\"data\":[[{\"title\":   },{\"title\":\"t\"}]]}]}",
         {{"1", "x", "9"}, {"2", "y", "8"}},
         {{"1", "一般", "t"}},
         false},
        {"markers in any letter case, the tag member only in small letters",
         R"({"result":[],"magic":[{"data":[[{"TITLE":"Abc"},{"Title":"hot","TYPE":"HOT"}]]}]})",
         {},
         {{"1", "一般", "Abc"}, {"2", "热搜", ""}},
         false},
        {"the tag member in capitals is no tag member",
         R"({"result":[],"MAGIC":[{"data":[[{"title":"a"}]]}]})",
         {},
         {},
         true},
        {"tags before the tag member count too",
         R"({"x":{"title":"early"},"result":[],"magic":[]})",
         {},
         {{"1", "一般", "early"}},
         false},
        {"a pair without its separators keeps its row with empty cells",
         R"({"result":[["solo"],["a","b","7"]]})",
         {{"1", "", ""}, {"2", "a", "7"}},
         {},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Rows of an earlier search never stay.
        ui.ListAddRow(kSuggestionList, std::nullopt, std::string("old"));
        ui.ListAddRow(kHotTagList, std::nullopt, std::string("old"));
        server.answerWith(c.body);
        const auto before = ui.messages().size();
        search("k");
        EXPECT_EQ(rows(kSuggestionList), c.words);
        EXPECT_EQ(rows(kHotTagList), c.tags);
        auto messages = ui.messages();
        ASSERT_EQ(messages.size(), before + (c.noTagsMessage ? 1 : 0));
        if (c.noTagsMessage) {
            EXPECT_EQ(messages.back().text, "无热门标签");
            EXPECT_EQ(messages.back().caption, "信息：");
            EXPECT_TRUE(messages.back().fromWorker);  // only the worker waits for it
        }
    }
}

TEST_F(Suggestions, NoAnswerEmptiesBothListsAndSaysThereAreNoTags) {
    server.market().setSuggestions("a", {{{"a1", "1"}}, {{{"t", true}}}, true});
    search("a");
    ASSERT_EQ(ui.rowCount(kHotTagList), 1);
    fake::Fault drop;
    drop.kind = fake::Fault::Kind::DropConnection;
    server.market().setFault(fake::kSuggest, drop);
    search("a");
    EXPECT_EQ(ui.rowCount(kSuggestionList), 0);
    EXPECT_EQ(ui.rowCount(kHotTagList), 0);
    EXPECT_EQ(SuggestionAnswer().answer, "");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "无热门标签");
}

TEST_F(Suggestions, ASecondSearchReplacesBothLists) {
    server.market().setSuggestions(
        "first", {{{"f1", "3"}, {"f2", "2"}, {"f3", "1"}}, {{{"a", false}, {"b", true}}}, true});
    server.market().setSuggestions("second", {{{"s1", "5"}}, {{{"c", true}}}, true});
    search("first");
    search("second");
    EXPECT_EQ(rows(kSuggestionList), (Rows{{"1", "s1", "5"}}));
    EXPECT_EQ(rows(kHotTagList), (Rows{{"1", "热搜", "c"}}));
}

// Holds the first hot-tag row of one job until the test lets it go.
class GatedUi : public FakeUi {
public:
    using FakeUi::FakeUi;
    using FakeUi::ListAddRow;
    int ListAddRow(const std::string& list, std::optional<int> position,
                   std::optional<std::string> text) override {
        if (list == kHotTagList && armed_.exchange(false)) {
            std::unique_lock lock(mutex_);
            held_ = true;
            wake_.notify_all();
            wake_.wait(lock, [&] { return released_; });
        }
        return FakeUi::ListAddRow(list, position, text);
    }
    void waitUntilHeld() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return held_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }

private:
    std::atomic<bool> armed_{true};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool held_ = false;
    bool released_ = false;
};

TEST_F(Suggestions, ARunningTagJobNeverMixesItsRowsIntoANewerSearchsList) {
    GatedUi gated;
    StoreSuggestionAnswer(R"({"magic":[[{"title":"a1"},{"title":"a2"},{"title":"a3"}]]})");
    gated.StartWorker(HotTagJob);
    gated.waitUntilHeld();  // the first job is inside its first row

    StoreSuggestionAnswer(R"({"magic":[[{"title":"b1"}]]})");
    gated.StartWorker(HotTagJob);
    // Give the second job every chance to run ahead before the first goes on.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    gated.release();
    gated.waitForWorkers();

    ASSERT_EQ(gated.rowCount(kHotTagList), 1);
    EXPECT_EQ(gated.row(kHotTagList, 0), (std::vector<std::string>{"1", "一般", "b1"}));
    EXPECT_TRUE(gated.messages().empty());
}

}  // namespace
}  // namespace quillet
