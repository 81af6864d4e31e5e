#include "app/context_menus.h"

#include <gtest/gtest.h>

#include "fake_ui.h"

namespace quillet {
namespace {

class ContextMenus : public ::testing::Test {
protected:
    ContextMenus() : ui(&events) { BindContextMenus(events); }
    EventTable events;
    FakeUi ui;
};

TEST_F(ContextMenus, EachListPopsItsMenuWithOnlyItsOwnItems) {
    struct Case {
        std::string list, menu;
        std::vector<std::string> items;
    } cases[] = {
        {"超级列表框_排名", "手机综合查询", {"打开商品"}},
        {"超级列表框_直通车", "直通车综合查询", {"打开直通车商品"}},
        {"超级列表框关键词1", "关键词联想", {"复制关键词"}},
        {"超级列表框1", "关键词联想", {"复制标签"}},
        {"超级列表框关键词1",
         "关键词联想",
         {"复制关键词"}},  // shown again after the tag list hid it
        {"超级列表框_评价", "复制评价", {"评价复制"}},
    };
    for (const auto& c : cases) {
        // The lists are empty: a right click on empty space still pops the menu.
        ASSERT_TRUE(ui.fire(c.list, Event::RightClicked)) << c.list;
        auto popup = ui.popups().back();
        EXPECT_EQ(popup.menu, c.menu);
        EXPECT_EQ(popup.visibleItems, c.items) << c.list;
    }
    EXPECT_FALSE(ui.fire("超级列表框关键词", Event::RightClicked));  // that list has no menu
}

TEST_F(ContextMenus, OpenItemUsesTheSelectedRowsItemId) {
    for (int i = 0; i < 3; ++i) {
        int row = ui.ListAddRow("超级列表框_排名", std::nullopt, std::to_string(i + 1));
        ui.ListSetCell("超级列表框_排名", row, 8, "60000000" + std::to_string(i));
    }
    int row = ui.ListAddRow("超级列表框_直通车", std::nullopt, std::string("1"));
    ui.ListSetCell("超级列表框_直通车", row, 4, "777");
    ui.selectRow("超级列表框_排名", 1);
    ui.selectRow("超级列表框_直通车", 0);

    ui.setNextMenuChoice("打开商品");
    ui.fire("超级列表框_排名", Event::RightClicked);
    ui.setNextMenuChoice("打开直通车商品");
    ui.fire("超级列表框_直通车", Event::RightClicked);
    ui.selectRow("超级列表框_排名", -1);
    ui.fire("打开商品", Event::Chosen);

    EXPECT_EQ(ui.openedAddresses(),
              (std::vector<std::string>{ItemPageAddress("600000001"), ItemPageAddress("777"),
                                        ItemPageAddress("")}));
    EXPECT_NE(ItemPageAddress("42").find("/item.htm?id=42"), std::string::npos);
}

TEST_F(ContextMenus, CopyItemsCopyTheSelectedCellAndSayWhatTheyDid) {
    int word = ui.ListAddRow("超级列表框关键词1", std::nullopt, std::string("1"));
    ui.ListSetCell("超级列表框关键词1", word, 1, "连衣裙 夏");
    int tag = ui.ListAddRow("超级列表框1", std::nullopt, std::string("1"));
    ui.ListSetCell("超级列表框1", tag, 2, "碎花");
    int review = ui.ListAddRow("超级列表框_评价", std::nullopt, std::string("1"));
    ui.ListSetCell("超级列表框_评价", review, 1, "很好看😀");
    ui.selectRow("超级列表框关键词1", word);
    ui.selectRow("超级列表框1", tag);
    ui.selectRow("超级列表框_评价", review);

    ui.fire("复制关键词", Event::Chosen);
    ui.fire("复制标签", Event::Chosen);
    ui.fire("评价复制", Event::Chosen);
    ui.selectRow("超级列表框_评价", -1);
    ui.fire("评价复制", Event::Chosen);  // nothing selected: the empty text, still the message

    EXPECT_EQ(ui.clipboard(), (std::vector<std::string>{"连衣裙 夏", "碎花", "很好看😀", ""}));
    auto messages = ui.messages();
    ASSERT_EQ(messages.size(), 4u);
    std::string expected[] = {"已经复制！", "已经复制！", "复制成功", "复制成功"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(messages[i].text, expected[i]);
        EXPECT_EQ(messages[i].caption, "信息：");
        EXPECT_EQ(messages[i].buttons, 0);
    }
}

TEST_F(ContextMenus, DismissingTheMenuDoesNothing) {
    ui.fire("超级列表框_排名", Event::RightClicked);
    EXPECT_TRUE(ui.openedAddresses().empty());
    EXPECT_TRUE(ui.clipboard().empty());
}

}  // namespace
}  // namespace quillet
