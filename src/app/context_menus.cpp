#include "app/context_menus.h"

#include "net/endpoints.h"

namespace quillet {

std::string ItemPageAddress(std::string_view itemId) {
    return Endpoint("taobao_item") + "/item.htm?id=" + std::string(itemId);
}

namespace {

const std::string kSuggestMenu = "关键词联想";
const std::string kCopyWord = "复制关键词";
const std::string kCopyTag = "复制标签";

Routine popUp(std::string menu) {
    return [menu](Ui& ui) { ui.PopUpMenu(menu); };
}

Routine openItem(std::string list, int idColumn) {
    return [list, idColumn](Ui& ui) {
        int row = ui.ListSelectedRow(list);
        ui.OpenInBrowser(ItemPageAddress(ui.ListGetCell(list, row, idColumn)));
    };
}

Routine copyCell(std::string list, int column, std::string message) {
    return [list, column, message](Ui& ui) {
        int row = ui.ListSelectedRow(list);
        ui.SetClipboardText(ui.ListGetCell(list, row, column));
        ui.ShowMessage(message);
    };
}

}  // namespace

void BindContextMenus(EventTable& events) {
    events.bind("超级列表框_排名", Event::RightClicked, popUp("手机综合查询"));
    events.bind("超级列表框_直通车", Event::RightClicked, popUp("直通车综合查询"));
    events.bind("超级列表框关键词1", Event::RightClicked, [](Ui& ui) {
        ui.SetMenuItemVisible(kCopyTag, false);
        ui.SetMenuItemVisible(kCopyWord, true);
        ui.PopUpMenu(kSuggestMenu);
    });
    events.bind("超级列表框1", Event::RightClicked, [](Ui& ui) {
        ui.SetMenuItemVisible(kCopyWord, false);
        ui.SetMenuItemVisible(kCopyTag, true);
        ui.PopUpMenu(kSuggestMenu);
    });
    events.bind("超级列表框_评价", Event::RightClicked, popUp("复制评价"));

    events.bind("打开商品", Event::Chosen, openItem("超级列表框_排名", 8));
    events.bind("打开直通车商品", Event::Chosen, openItem("超级列表框_直通车", 4));
    events.bind(kCopyWord, Event::Chosen, copyCell("超级列表框关键词1", 1, "已经复制！"));
    events.bind(kCopyTag, Event::Chosen, copyCell("超级列表框1", 2, "已经复制！"));
    events.bind("评价复制", Event::Chosen, copyCell("超级列表框_评价", 1, "复制成功"));
}

}  // namespace quillet
