#include "app/window_table.h"

namespace quillet {

namespace {

using K = ControlKind;

ControlDef control(std::string_view name, ControlKind kind, std::string_view container, int page,
                   int x, int y, int width, int height, std::string_view text = {},
                   bool visible = true) {
    return ControlDef{name, kind, container, page, x, y, width, height, text, visible, {}, {}};
}

// A control on one page of the main tab control.
ControlDef onPage(int page, std::string_view name, ControlKind kind, int x, int y, int width,
                  int height, std::string_view text = {}, bool visible = true) {
    return control(name, kind, "高级选择夹1", page, x, y, width, height, text, visible);
}

ControlDef withColumns(ControlDef def, std::vector<Column> columns) {
    def.columns = std::move(columns);
    return def;
}

ControlDef withEntries(ControlDef def, std::vector<std::string_view> entries) {
    def.entries = std::move(entries);
    return def;
}

// One of the 28 hidden rank boxes; x by day, y by week, with the two rows whose Sunday box sits
// one pixel lower.
ControlDef gridBox(int week, int day) {
    static constexpr std::string_view names[4][7] = {
        {"bjk1_z1", "bjk1_z2", "bjk1_z3", "bjk1_z4", "bjk1_z5", "bjk1_z6", "bjk1_z7"},
        {"bjk2_z1", "bjk2_z2", "bjk2_z3", "bjk2_z4", "bjk2_z5", "bjk2_z6", "bjk2_z7"},
        {"bjk3_z1", "bjk3_z2", "bjk3_z3", "bjk3_z4", "bjk3_z5", "bjk3_z6", "bjk3_z7"},
        {"bjk4_z1", "bjk4_z2", "bjk4_z3", "bjk4_z4", "bjk4_z5", "bjk4_z6", "bjk4_z7"},
    };
    static constexpr int xs[7] = {144, 216, 288, 352, 408, 472, 536};
    static constexpr int ys[4] = {378, 416, 448, 480};
    int y = ys[week - 1];
    if (day == 7 && (week == 1 || week == 2)) {
        y += 1;
    }
    return onPage(8, names[week - 1][day - 1], K::EditBox, xs[day - 1], y, 48, 22, {}, false);
}

WindowDef buildMainWindowDef() {
    WindowDef w{"MainWindow", "Velmara淘宝Quillet综合信息查询系统V1.0", 50, 50, 856, 605, {}, {}};
    auto& c = w.controls;

    c.push_back(
        withEntries(control("高级选择夹1", K::TabControl, "", -1, 8, 40, 832, 520),
                    {"手机综合查询", "直通车综合查询", "关键词联想", "信誉查询", "上下架查询",
                     "排名查询", "评价下载", "产品信息下载", "智能图析", "VIP功能"}));

    const std::vector<Column> wordColumns{{"序号", 50}, {"热门词", 200}, {"搜索量", 100}};

    // Page 0: mobile ranking list.
    c.push_back(onPage(0, "透明标签1", K::TransparentLabel, 137, 95, 112, 16, "输入查询关键词："));
    c.push_back(onPage(0, "编辑框_关键词", K::EditBox, 260, 84, 126, 40));
    c.push_back(onPage(0, "获取", K::Button, 402, 83, 103, 40, "综合排名搜索"));
    c.push_back(onPage(0, "透明标签2", K::TransparentLabel, 517, 87, 40, 32, "页数："));
    c.push_back(onPage(0, "编辑框_页数", K::EditBox, 562, 87, 53, 35));
    c.push_back(withColumns(onPage(0, "超级列表框_排名", K::ListView, 8, 159, 808, 336),
                            {{"排名", 50},
                             {"标题", 150},
                             {"销量", 50},
                             {"累计评价", 80},
                             {"店铺名称", 80},
                             {"店铺类型", 80},
                             {"一口价", 50},
                             {"折后价", 50},
                             {"商品ID", 100},
                             {"发货地点", 100}}));

    // Page 1: paid placements.
    c.push_back(onPage(1, "透明标签3", K::TransparentLabel, 185, 92, 100, 16, "输入查询关键词："));
    c.push_back(onPage(1, "编辑框_直通车关键词", K::EditBox, 299, 81, 126, 40));
    c.push_back(onPage(1, "获取1", K::Button, 441, 80, 103, 40, "直通车搜索"));
    c.push_back(onPage(1, "透明标签4", K::TransparentLabel, 560, 80, 56, 40, "查询页数："));
    c.push_back(onPage(1, "编辑框_直通车页数", K::EditBox, 632, 80, 56, 40));
    c.push_back(withColumns(onPage(1, "超级列表框_直通车", K::ListView, 32, 160, 736, 304),
                            {{"排名", 50},
                             {"产品标题", 200},
                             {"销量", 50},
                             {"店铺名称", 150},
                             {"商品ID", 100},
                             {"店铺类型", 80},
                             {"发货地", 100}}));

    // Page 2: keyword suggestions and hot tags.
    c.push_back(onPage(2, "编辑框1", K::EditBox, 256, 74, 200, 24));
    c.push_back(onPage(2, "按钮搜索", K::Button, 475, 72, 96, 26, "搜索"));
    c.push_back(onPage(2, "分组框3", K::GroupBox, 40, 164, 363, 216, "热搜词"));
    c.push_back(withColumns(
        control("超级列表框关键词1", K::ListView, "分组框3", -1, 3, 12, 356, 192), wordColumns));
    c.push_back(onPage(2, "分组框2", K::GroupBox, 419, 160, 328, 220, "热门标签"));
    c.push_back(withColumns(onPage(2, "超级列表框1", K::ListView, 431, 175, 308, 200),
                            {{"序号", 50}, {"热门", 100}, {"标签名", 150}}));
    c.push_back(
        withColumns(onPage(2, "超级列表框关键词", K::ListView, 47, 180, 356, 192), wordColumns));

    // Page 3: reputation report.
    c.push_back(
        onPage(3, "透明标签5", K::TransparentLabel, 185, 82, 104, 32, "输入要查询的账号："));
    c.push_back(onPage(3, "编辑框_信誉", K::EditBox, 313, 82, 176, 32));
    c.push_back(onPage(3, "按钮1", K::Button, 521, 82, 80, 32, "查询"));
    c.push_back(onPage(3, "分组框1", K::GroupBox, 48, 160, 728, 312, ""));
    struct Field {
        std::string_view name;
        int x, y, width, height;
        std::string_view text;
    };
    static constexpr Field fields[] = {
        {"透明标签名字", 27, 40, 165, 32, "买家账号："},
        {"透明标签会员等级", 217, 36, 112, 40, "会员等级："},
        {"透明标签实名认证", 399, 36, 136, 40, "实名认证："},
        {"透明标签所在地区", 575, 40, 145, 32, "所在地区："},
        {"透明标签注册时间", 27, 100, 181, 32, "注册时间："},
        {"透明标签最后登陆", 217, 96, 175, 40, "最后登陆："},
        {"透明标签店铺信息", 399, 96, 136, 40, "店铺信息："},
        {"透明标签卖家出单数", 575, 98, 129, 32, "卖家出单数："},
        {"透明标签买家信用", 25, 156, 128, 32, "买家信用："},
        {"透明标签每周平均", 216, 151, 112, 40, "每周平均："},
        {"透明标签账号等级", 399, 147, 136, 40, "账号等级："},
        {"透明标签卖家等级", 575, 149, 112, 32, "卖家等级："},
        {"透明标签男号女号", 25, 204, 128, 32, "男号女号："},
        {"透明标签活跃度", 216, 200, 112, 40, "活跃度："},
        {"透明标签活跃等级", 399, 202, 136, 38, "活跃等级："},
        {"透明标签好评率", 575, 203, 112, 32, "好评率："},
        {"透明标签终结", 472, 261, 144, 48, "计算判断："},
    };
    for (const Field& f : fields) {
        c.push_back(control(f.name, K::TransparentLabel, "分组框1", -1, f.x, f.y, f.width, f.height,
                            f.text));
    }
    c.push_back(onPage(3, "超文本浏览框1", K::WebBrowser, 416, 208, 288, 168, {}, false));

    // Page 4: listing and delisting times.
    c.push_back(onPage(4, "透明标签7", K::TransparentLabel, 257, 56, 192, 24,
                       "单个商品查询（输入商品ID）："));
    c.push_back(onPage(4, "编辑框产品链接", K::EditBox, 212, 82, 280, 32));
    c.push_back(onPage(4, "按钮_ww1", K::Button, 504, 80, 72, 32, "查询"));
    c.push_back(onPage(4, "图片框图片", K::PictureBox, 80, 152, 184, 176));
    c.push_back(onPage(4, "透明标签bt", K::TransparentLabel, 312, 160, 496, 32, "商品标题"));
    c.push_back(
        onPage(4, "透明标签创建时间", K::TransparentLabel, 312, 200, 312, 32, "创建时间："));
    c.push_back(
        onPage(4, "透明标签上架时间", K::TransparentLabel, 310, 243, 312, 32, "上架时间："));
    c.push_back(
        onPage(4, "透明标签下架时间", K::TransparentLabel, 310, 288, 312, 32, "下架时间："));

    // Page 5: rank finder.
    c.push_back(onPage(5, "透明标签10", K::TransparentLabel, 80, 108, 112, 16, "输入查询关键词："));
    c.push_back(onPage(5, "编辑框_关键词pm", K::EditBox, 187, 97, 126, 40));
    c.push_back(onPage(5, "透明标签11", K::TransparentLabel, 333, 110, 88, 16, "输入查询ID："));
    c.push_back(onPage(5, "编辑框_id", K::EditBox, 415, 98, 126, 40));
    c.push_back(onPage(5, "获取2", K::Button, 569, 96, 103, 40, "综合排名搜索"));
    c.push_back(
        onPage(5, "透明标签jg", K::TransparentLabel, 224, 152, 272, 40, "手机端综合排名："));
    c.push_back(onPage(5, "透明标签12", K::TransparentLabel, 80, 219, 112, 16, "输入查询关键词："));
    c.push_back(onPage(5, "编辑框_关键词ztc", K::EditBox, 187, 208, 126, 40));
    c.push_back(onPage(5, "透明标签13", K::TransparentLabel, 333, 221, 88, 16, "输入查询ID："));
    c.push_back(onPage(5, "编辑框_idztc", K::EditBox, 415, 209, 126, 40));
    c.push_back(onPage(5, "获取3", K::Button, 576, 209, 103, 40, "直通车排名搜索"));
    c.push_back(
        onPage(5, "透明标签ztc", K::TransparentLabel, 208, 280, 272, 40, "手机端直通车综合排名："));

    // Page 6: review collection.
    c.push_back(onPage(6, "进度", K::Label, 17, 41, 56, 24));
    c.push_back(onPage(6, "编辑框_产品地址", K::EditBox, 88, 37, 464, 32));
    c.push_back(onPage(6, "按钮_开始采集", K::Button, 562, 36, 80, 32, "开始采集"));
    c.push_back(onPage(6, "透明标签9", K::TransparentLabel, 651, 41, 88, 24, "折后价（￥）："));
    c.push_back(onPage(6, "编辑框_折后价", K::EditBox, 739, 41, 56, 24));
    c.push_back(withColumns(onPage(6, "超级列表框_评价", K::ListView, 37, 81, 758, 416),
                            {{"序号", 50}, {"评价", 600}, {"评价图", 100}}));

    // Page 7: product page and pictures.
    c.push_back(onPage(7, "透明标签6", K::TransparentLabel, 83, 64, 56, 32, "宝贝网址："));
    c.push_back(onPage(7, "编辑框_网站链接", K::EditBox, 139, 68, 328, 32));
    c.push_back(onPage(7, "透明标签8", K::TransparentLabel, 80, 112, 56, 32, "宝贝标题："));
    c.push_back(onPage(7, "编辑框_标题", K::EditBox, 140, 112, 328, 32));
    c.push_back(onPage(7, "图片框1", K::PictureBox, 140, 160, 328, 296));
    c.push_back(control("标签3", K::TransparentLabel, "图片框1", -1, 116, 120, 96, 32));
    c.push_back(onPage(7, "按钮_获取信息", K::Button, 600, 72, 80, 32, "获取信息"));
    c.push_back(onPage(7, "按钮_复制标题", K::Button, 600, 128, 80, 32, "复制标题"));
    c.push_back(onPage(7, "按钮_上一张", K::Button, 600, 176, 80, 32, "上一张"));
    c.push_back(onPage(7, "按钮_复制图片", K::Button, 600, 224, 80, 32, "复制图片"));
    c.push_back(onPage(7, "按钮_下一张", K::Button, 600, 272, 80, 32, "下一张"));
    c.push_back(onPage(7, "按钮_下载图片", K::Button, 600, 320, 80, 32, "下载图片"));
    c.push_back(onPage(7, "标签1", K::TransparentLabel, 608, 372, 80, 16, "主  图：0/0"));
    c.push_back(onPage(7, "标签2", K::TransparentLabel, 609, 401, 72, 24, "详细图：0/0"));

    // Page 8: rank grid and curve chart.
    c.push_back(onPage(8, "排名曲线图", K::CurveChart, 64, 48, 688, 288));
    c.push_back(onPage(8, "透明标签14", K::TransparentLabel, 144, 344, 472, 32,
                       " 周一         周二       周三      周四       周五       周六      周天"));
    c.push_back(onPage(8, "分组框4", K::GroupBox, 16, 344, 800, 168, "数据填写"));
    c.push_back(withEntries(onPage(8, "组合框周期", K::ComboBox, 48, 376, 64, 28),
                            {"一周", "二周", "三周", "四周"}));
    for (int week = 1; week <= 4; ++week) {
        for (int day = 1; day <= 7; ++day) {
            c.push_back(gridBox(week, day));
        }
    }
    c.push_back(onPage(8, "按钮2", K::Button, 680, 392, 88, 32, "直观分析"));
    c.push_back(onPage(8, "按钮3", K::Button, 680, 440, 88, 32, "云分析"));

    // Page 9 holds no controls.

    w.menus = {
        {"手机综合查询", {"打开商品"}},
        {"直通车综合查询", {"打开直通车商品"}},
        {"关键词联想", {"复制关键词", "复制标签"}},
        {"复制评价", {"评价复制"}},
    };
    return w;
}

WindowDef buildImageBrowserWindowDef() {
    WindowDef w{"ImageBrowserWindow", "Ardeno-图片浏览", 50, 50, 378, 425, {}, {}};
    w.controls.push_back(control("图片框1", K::PictureBox, "", -1, 16, 9, 344, 328));
    w.controls.push_back(control("按钮_上一张", K::Button, "", -1, 72, 360, 56, 32, "上一张"));
    w.controls.push_back(control("按钮_下一张", K::Button, "", -1, 184, 360, 56, 32, "下一张"));
    return w;
}

}  // namespace

const ControlDef* WindowDef::find(std::string_view control) const {
    for (const ControlDef& def : controls) {
        if (def.name == control) {
            return &def;
        }
    }
    return nullptr;
}

const WindowDef& mainWindowDef() {
    static const WindowDef def = buildMainWindowDef();
    return def;
}

const WindowDef& imageBrowserWindowDef() {
    static const WindowDef def = buildImageBrowserWindowDef();
    return def;
}

}  // namespace quillet
