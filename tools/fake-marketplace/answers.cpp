#include "fake-marketplace/answers.h"

#include <unicode/ucnv.h>

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

namespace quillet::fake {

namespace {

using Json = nlohmann::ordered_json;

std::string dumpUtf8(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The lookup service escapes every non-ASCII character as \uXXXX.
std::string dumpAscii(const Json& j) {
    return j.dump(-1, ' ', true, Json::error_handler_t::replace);
}

// The desktop search writes its page data the way Java's JSON writers do, with the HTML
// characters escaped; JSON syntax itself never uses them.
std::string escapeHtmlChars(const std::string& json) {
    std::string out;
    out.reserve(json.size() + json.size() / 8);
    for (char c : json) {
        switch (c) {
            case '=':
                out += "\\u003d";
                break;
            case '&':
                out += "\\u0026";
                break;
            case '<':
                out += "\\u003c";
                break;
            case '>':
                out += "\\u003e";
                break;
            case '\'':
                out += "\\u0027";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string hex(std::uint64_t h, int count) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < count; ++i) {
        out.push_back(digits[(h >> ((i % 16) * 4)) & 0xF]);
        if (i % 16 == 15) {
            h = mix(h, "hex", static_cast<std::uint64_t>(i));
        }
    }
    return out;
}

std::string htmlAttr(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

// Text inside a single-quoted script string.
std::string scriptText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\'' || c == '\\') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

std::string dateOf(std::int64_t seconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(seconds + 8 * 3600);  // China time
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// Links to other items that real pages carry; they give the pages a realistic size and
// markers that must not be mistaken for the item's own.
std::string recommendations(const Site& site, const Item& item, const std::string& itemHost,
                            int count) {
    std::string out = "<div class=\"tb-recommend\"><ul>\n";
    for (int i = 0; i < count; ++i) {
        const auto h = mix(0, item.id, static_cast<std::uint64_t>(i) + 900);
        const std::string other = std::to_string(540000000000ULL + h % 59999999999ULL);
        out += "<li class=\"rec-item\" data-id=\"" + other + "\"><a href=\"//" +
               site.hostPort(itemHost) + "/item.htm?id=" + other +
               "&amp;scm=1007.12144.81309.0\" target=\"_blank\" title=\"看了又看\">"
               "<span class=\"rec-price\">&yen;" +
               std::to_string(10 + h % 300) + ".00</span><span class=\"rec-sold\">月销" +
               std::to_string(h % 900) + "</span></a></li>\n";
    }
    out += "</ul></div>\n";
    return out;
}

}  // namespace

std::string Site::hostPort(const std::string& host) const {
    return host + ":" + std::to_string(port);
}

std::string Site::pictureBase() const {
    return "//" + hostPort("img.alicdn.localhost");
}

std::string Site::descriptionBase() const {
    return "//" + hostPort("desc.alicdn.localhost");
}

std::string toGbk(const std::string& utf8) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* from = ucnv_open("UTF-8", &status);
    UConverter* to = ucnv_open("GBK", &status);
    std::string out;
    if (U_SUCCESS(status)) {
        ucnv_setSubstChars(to, "?", 1, &status);
        out.resize(utf8.size() * 2 + 16);
        char* target = out.data();
        const char* source = utf8.data();
        ucnv_convertEx(to, from, &target, out.data() + out.size(), &source,
                       utf8.data() + utf8.size(), nullptr, nullptr, nullptr, nullptr, true, true,
                       &status);
        out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(target - out.data()) : 0);
    }
    ucnv_close(from);
    ucnv_close(to);
    return out;
}

std::string mobileSearchBody(const Site& site, const std::vector<SearchItem>& rows,
                             const std::string& keyword, int totalPages) {
    Json list = Json::array();
    for (const auto& row : rows) {
        const std::string id = row.itemNumId.value_or("");
        const bool paid = row.isP4p.value_or("") == "true";
        const auto h = mix(0, id, 3);
        const std::string pic = site.pictureBase() + "/bao/uploaded/i" + std::to_string(1 + h % 4) +
                                "/" + id + "/O1CN01m1x" + id + "_!!0-item_pic.jpg";
        Json item;
        item["item_id"] = id;
        auto put = [&](const char* name, const std::optional<std::string>& value) {
            if (value) {
                item[name] = *value;
            }
        };
        put("title", row.title);
        item["img2"] = pic + "_170x10000.jpg";
        put("sold", row.sold);
        put("commentCount", row.commentCount);
        put("nick", row.nick);
        put("isB2c", row.isB2c);
        item["price"] = row.priceWap.value_or(row.originalPrice.value_or("0.00"));
        put("priceWap", row.priceWap);
        put("originalPrice", row.originalPrice);
        item["freight"] = "0.00";
        item["fastPostFee"] = "0.00";
        put("location", row.location);
        item["area"] = row.location.value_or("").substr(0, row.location.value_or("").find(' '));
        item["zkType"] = "促销价";
        item["userId"] = "22" + std::to_string(h % 100000000);
        item["pic_path"] = pic;
        if (paid) {
            item["url"] = "//click.simba.localhost/cc_im?p=" + std::string("%E6%90%9C") +
                          "&amp;s=" + std::to_string(h % 1000000000) +
                          "&amp;k=525&amp;e=" + hex(h, 24) + "%2B" + hex(h >> 7, 8) + "%3D%3D";
        } else {
            item["url"] = "//a.m.taobao.localhost/i" + id +
                          ".htm?abbucket=" + std::to_string(h % 20) + "&amp;sid=" + hex(h, 16) +
                          "&amp;spm=a2141.7631557%3Dlist";
        }
        put("isP4p", row.isP4p);
        put("itemNumId", row.itemNumId);
        item["iconList"] = paid ? "" : "tmall,postage";
        list.push_back(std::move(item));
    }
    Json root;
    root["totalPage"] = std::to_string(totalPages);
    root["RN"] = hex(mix(0, keyword, 11), 32);
    root["result"] = "ok";
    root["catmap"] = Json::object({{"16", "女装/女士精品"}, {"50010850", "连衣裙"}});
    root["ppath"] = Json::object();
    root["defaultViewType"] = "list";
    root["listItem"] = std::move(list);
    return dumpUtf8(root);
}

std::string suggestBody(const std::string& callback, const SuggestAnswer& answer) {
    Json root;
    Json result = Json::array();
    for (const auto& [word, volume] : answer.words) {
        result.push_back(Json::array({word, volume}));
    }
    root["result"] = std::move(result);
    if (answer.withMagic) {
        Json data = Json::array();
        for (const auto& group : answer.tagGroups) {
            Json tags = Json::array();
            for (const auto& [title, hot] : group) {
                Json tag;
                tag["title"] = title;
                if (hot) {
                    tag["type"] = "hot";
                }
                tags.push_back(std::move(tag));
            }
            data.push_back(std::move(tags));
        }
        Json magic;
        magic["index"] = "1";
        magic["type"] = "tag_group";
        magic["data"] = std::move(data);
        root["magic"] = Json::array({std::move(magic)});
    }
    const std::string json = dumpUtf8(root);
    return callback.empty() ? json : callback + "(" + json + ")";
}

std::string descriptionUrl(const Site& site, const Item& item) {
    return site.descriptionBase() + "/i7/" + item.id +
           "/desc.htm?var=desc&t=" + std::to_string(mix(0, item.id, 21) % 100000000);
}

std::string taobaoItemPage(const Site& site, const Item& item) {
    const std::string shopId = std::to_string(100000000 + mix(0, item.sellerId) % 99999999);
    const std::string desc = descriptionUrl(site, item);
    std::string images;
    for (int k = 1; k <= item.mainPictures; ++k) {
        if (k > 1) {
            images += ",";
        }
        images += '"';
        images += pictureUrl(site.pictureBase(), item, 'm', k, k == 3 ? "png" : "jpg");
        images += '"';
    }
    std::string p;
    p += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\" />\n";
    p += "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge,chrome=1\" />\n";
    p += "<meta name=\"keywords\" content=\"" + htmlAttr(item.title) + "\" />\n";
    p += "<meta name=\"microscope-data\" content=\"pageId=1521;prototypeId=3;siteCategory=1;"
         "shopId=" +
         shopId + ";userid=" + item.sellerId + ";\">\n";
    p += "<title>" + item.title + "-淘宝网</title>\n";
    p += "<link rel=\"stylesheet\" href=\"//g.alicdn.localhost/tb/item/1.7.9/detail.css\" />\n";
    p += "<script>\nvar g_config = {\n";
    p += "    startTime       : +new Date(),\n";
    p += "    prefetch        : [],\n";
    p += "    shopId          : '" + shopId + "',\n";
    p += "    itemId          : '" + item.id + "',\n";
    p += "    sellerId        : '" + item.sellerId + "',\n";
    p += "    sellerNick      : '" + scriptText(item.nick) + "',\n";
    p += "    descUrl          : location.protocol==='http:' ? '" + desc + "' : '" + desc +
         "&https=1',\n";
    p += "    counterApi      : '//count.taobao.localhost/counter3?inc=ICVT_7_" + item.id +
         "&sign=" + hex(mix(0, item.id, 4), 12) + "',\n";
    p += "    rateCounterApi  : '//rate.taobao.localhost/detailCount.do?itemId=" + item.id + "',\n";
    p += "    idata           : {\n        item: {\n";
    p += "            id: '" + item.id + "',\n";
    p += "            title: '" + scriptText(item.title) + "',\n";
    p += "            price: '" + item.originalPrice + "',\n";
    p += "            auctionImages    : [" + images + "]\n";
    p += "        }\n    }\n};\n</script>\n</head>\n<body class=\"tb-item\">\n";
    p += "<div id=\"J_Title\" class=\"tb-title\">\n";
    p += "  <h3 class=\"tb-main-title\" data-title=\"" + htmlAttr(item.title) + "\">\n    " +
         item.title + "\n  </h3>\n";
    p += "  <p class=\"tb-subtitle\">" + item.nick + " 品质保证 七天无理由退换</p>\n</div>\n";
    p += "<ul class=\"tb-meta\"><li><em class=\"tb-rmb\">&yen;</em><em id=\"J_StrPrice\">"
         "<em class=\"tb-rmb-num\">" +
         item.originalPrice + "</em></em></li><li>发货地 " + item.location + "</li></ul>\n";
    p += "<ul id=\"J_UlThumb\" class=\"tb-thumb tb-clearfix\">\n";
    for (int k = 1; k <= item.mainPictures; ++k) {
        p += "<li><div class=\"tb-pic tb-s50\"><a href=\"#\"><img data-src=\"" +
             pictureUrl(site.pictureBase(), item, 'm', k, k == 3 ? "png" : "jpg") +
             "_50x50.jpg\" /></a></div></li>\n";
    }
    p += "</ul>\n";
    p += recommendations(site, item, "item.taobao.localhost", 40);
    p += "<div id=\"J_DivItemDesc\" class=\"content\">描述加载中</div>\n</body>\n</html>\n";
    return toGbk(p);
}

std::string tmallItemPage(const Site& site, const Item& item) {
    const std::string desc = descriptionUrl(site, item);
    std::string p;
    p += "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"gbk\" />\n";
    p += "<title>" + item.title + "-" + site.tmallTitleDomain + "天猫</title>\n";
    p += "<meta name=\"keywords\" content=\"" + htmlAttr(item.title) + "\" />\n";
    p += "<link rel=\"stylesheet\" href=\"//g.alicdn.localhost/tm/detail/1.9.22/app.css\" />\n";
    Json setup;
    setup["api"] = Json::object(
        {{"descUrl", desc},
         {"httpsDescUrl", desc + "&https=1"},
         {"fetchDcUrl", "//hdc1.alicdn.localhost/asyn.htm?pageId=1&userId=" + item.sellerId}});
    Json itemDo;
    itemDo["brand"] = item.nick;
    itemDo["categoryId"] = "50010850";
    itemDo["itemId"] = item.id;
    itemDo["spuId"] = item.spuId;
    itemDo["title"] = item.title;
    itemDo["userId"] = item.sellerId;
    itemDo["reservePrice"] = item.originalPrice;
    setup["itemDO"] = std::move(itemDo);
    setup["rateConfig"] =
        Json::object({{"itemId", item.id}, {"spuId", item.spuId}, {"sellerId", item.sellerId}});
    p += "<script>\nTShop.Setup(\n\t" + dumpUtf8(setup) + "\n);\n</script>\n</head>\n<body>\n";
    p += "<div class=\"tb-detail-hd\"><h1 data-spm=\"1000983\">" + item.title + "</h1></div>\n";
    const std::string first = pictureUrl(site.pictureBase(), item, 'm', 1, "jpg");
    p += "<div class=\"tb-booth\"><a href=\"javascript:void(0);\"><img id=\"J_ImgBooth\" alt=\"" +
         htmlAttr(item.title) + "\" src=\"" + first +
         "_430x430q90.jpg\" data-hasZoom=\"700\" /></a></div>\n";
    p += "<ul id=\"J_UlThumb\" class=\"tb-thumb tm-clear\">\n";
    for (int k = 1; k <= item.mainPictures; ++k) {
        p += std::string(k == 1 ? "<li class=\"tb-selected\">" : "<li>") +
             "<a href=\"#\"><img src=\"" +
             pictureUrl(site.pictureBase(), item, 'm', k, k == 4 ? "png" : "jpg") +
             "_60x60q90.jpg\" /></a></li>\n";
    }
    p += "</ul>\n";
    p += "<div class=\"tm-price-panel\"><span class=\"tm-price\">" + item.originalPrice +
         "</span></div>\n";
    p += recommendations(site, item, "detail.tmall.localhost", 40);
    p += "<div id=\"description\" class=\"J_DetailSection\">描述加载中</div>\n</body>\n</html>\n";
    return toGbk(p);
}

std::string descriptionBody(const Site& site, const Item& item) {
    const std::string scheme = site.https ? "https:" : "http:";
    std::string html =
        "<p><span style=\"font-size:18.0px;\">宝贝详情 " + item.title + "</span></p><p>";
    for (int k = 1; k <= item.detailPictures; ++k) {
        const char* ext = k % 4 == 0 ? "gif" : (k % 4 == 2 ? "png" : "jpg");
        html += "<img align=\"absmiddle\" src=\"" + scheme +
                pictureUrl(site.pictureBase(), item, 'd', k, ext) + "\">";
    }
    html += "</p><p>" + item.nick + " 欢迎光临</p>";
    return toGbk("var desc='" + scriptText(html) + "';");
}

std::string desktopSearchPage(const Site& site, const std::string& query,
                              const std::vector<Item>& auctions) {
    std::string list;
    for (std::size_t i = 0; i < auctions.size(); ++i) {
        const Item& a = auctions[i];
        const auto h = mix(0, a.id, 31);
        const bool p4p = i % 11 == 0;
        Json j;
        j["p4pTags"] = p4p ? Json::array({"1"}) : Json::array();
        j["nid"] = a.id;
        j["category"] = "50010850";
        j["pid"] = "";
        j["title"] = "<span class=H>" + query + "</span>" + a.title;
        j["raw_title"] = a.title;
        j["pic_url"] = "//g-search1.alicdn.localhost/img/bao/uploaded/i4/" + a.id + ".jpg";
        j["detail_url"] =
            "//" + site.hostPort(a.tmall ? "detail.tmall.localhost" : "item.taobao.localhost") +
            "/item.htm?id=" + a.id + "&ns=1&abbucket=" + std::to_string(h % 20);
        j["view_price"] = a.priceWap;
        j["view_fee"] = "0.00";
        j["item_loc"] = a.location;
        j["view_sales"] = a.sold + "人付款";
        j["comment_count"] = a.commentCount;
        j["user_id"] = a.sellerId;
        j["nick"] = a.nick;
        j["shopcard"] =
            Json::object({{"levelClasses",
                           Json::array({Json::object({{"levelClass", "icon-supple-level-guan"}})})},
                          {"isTmall", a.tmall},
                          {"delivery", Json::array({484, 1, 2512})},
                          {"description", Json::array({482, 1, 1813})},
                          {"service", Json::array({481, 1, 1832})},
                          {"encryptedUserId", hex(h, 13)}});
        j["icon"] = Json::array();
        j["comment_url"] = "//" + site.hostPort("item.taobao.localhost") + "/item.htm?id=" + a.id +
                           "&on_comment=1";
        j["shopLink"] = "//store.taobao.localhost/shop/view_shop.htm?user_number_id=" + a.sellerId;
        j["i2iTags"] = Json::object(
            {{"samestyle", Json::object({{"url", ""}})},
             {"similar", Json::object({{"url", "/search?type=similar&app=i2i&nid=" + a.id}})}});
        if (i > 0) {
            list += ",";
        }
        list += escapeHtmlChars(dumpUtf8(j));
    }
    Json pager;
    pager["pageSize"] = 44;
    pager["totalPage"] = Catalog::kSearchPages;
    pager["totalCount"] = Catalog::kSearchPages * 44;
    const std::string currentUrl =
        "//" + site.hostPort("s.taobao.localhost") + "/search?q=" + query;
    std::string config =
        "{\"pageName\":\"mainsrp\",\"mods\":{\"shopcombotip\":{\"status\":\"hide\"},"
        "\"itemlist\":{\"status\":\"show\",\"data\":{\"postFeeText\":\"运费\","
        "\"trace\":\"msrp_auction\",\"auctions\":[" +
        list +
        "],\"recommendAuctions\":[]}},\"pager\":{\"status\":\"show\",\"data\":" + dumpUtf8(pager) +
        "}},\"mainInfo\":{\"currentUrl\":" + escapeHtmlChars(dumpUtf8(Json(currentUrl))) + "}}";
    std::string p = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>" +
                    htmlAttr(query) +
                    "_淘宝搜索</title>\n</head>\n<body>\n<div id=\"main\"></div>\n";
    p += "<script>\n    g_page_config = " + config +
         ";\n    g_srp_loadCss();\n    g_srp_init();\n</script>\n";
    p += "</body>\n</html>\n";
    return p;
}

std::string taobaoReviewsBody(const std::string& callback, int total, int page, int pageSize,
                              const std::vector<Review>& reviews, std::uint64_t seed) {
    Json comments = Json::array();
    for (std::size_t i = 0; i < reviews.size(); ++i) {
        const auto h = mix(seed, reviews[i].content, static_cast<std::uint64_t>(page * 100) + i);
        Json c;
        c["auction"] = Json::object({{"aucNumId", ""}, {"sku", "颜色分类:黑色"}, {"title", ""}});
        c["award"] = "";
        c["buyAmount"] = 0;
        c["content"] = reviews[i].content;
        c["date"] =
            dateOf(1498000000 + static_cast<std::int64_t>(h % 2000000), "%Y年%m月%d日 %H:%M");
        c["lastModifyFrom"] = 0;
        Json photos = Json::array();
        for (const auto& url : reviews[i].photos) {
            photos.push_back(Json::object({{"fileId", 0},
                                           {"receiveId", static_cast<long long>(h % 900000000)},
                                           {"thumbnail", url + "_40x40.jpg"},
                                           {"url", url},
                                           {"status", 0}}));
        }
        c["photos"] = std::move(photos);
        c["rate"] = "1";
        c["rateId"] = static_cast<long long>(310000000000 + h % 9999999999);
        c["reply"] = nullptr;
        c["useful"] = 0;
        c["user"] = Json::object(
            {{"anony", true}, {"nick", "t***" + std::to_string(h % 10)}, {"rank", h % 500}});
        comments.push_back(std::move(c));
    }
    Json root;
    root["qnaDisabled"] = true;
    root["watershed"] = 100;
    root["search"] = "false";
    root["total"] = total;
    root["comments"] = std::move(comments);
    root["currentPageNum"] = page;
    root["maxPage"] = pageSize > 0 ? (total + pageSize - 1) / pageSize : 0;
    return callback + "(" + dumpUtf8(root) + ")";
}

std::string tmallReviewsBody(const std::string& callback, int lastPage, int page, int total,
                             const std::vector<Review>& reviews, std::uint64_t seed) {
    Json list = Json::array();
    int pictures = 0;
    for (std::size_t i = 0; i < reviews.size(); ++i) {
        const auto h = mix(seed, reviews[i].content, static_cast<std::uint64_t>(page * 100) + i);
        Json r;
        r["aliMallSeller"] = false;
        r["anony"] = true;
        r["appendComment"] = nullptr;
        r["auctionSku"] = "颜色分类:黑色;尺码:M";
        r["cmsSource"] = "天猫";
        r["displayUserNick"] = "t***" + std::to_string(h % 10);
        r["id"] = static_cast<long long>(320000000000 + h % 9999999999);
        Json pics = Json::array();
        for (const auto& url : reviews[i].photos) {
            pics.push_back(url);
            ++pictures;
        }
        r["pics"] = std::move(pics);
        r["rateContent"] = reviews[i].content;
        r["rateDate"] =
            dateOf(1498000000 + static_cast<std::int64_t>(h % 2000000), "%Y-%m-%d %H:%M:%S");
        r["reply"] = "";
        r["tamllSweetLevel"] = static_cast<int>(h % 5);
        r["useful"] = true;
        r["userVipLevel"] = 0;
        list.push_back(std::move(r));
    }
    Json detail;
    detail["rateCount"] =
        Json::object({{"total", total}, {"shop", 0}, {"picNum", pictures}, {"used", 0}});
    detail["rateDanceInfo"] = Json::object({{"currentMilles", 1499418900615LL},
                                            {"intervalMilles", 11790},
                                            {"showChooseTopic", false},
                                            {"storeType", 4}});
    detail["rateList"] = std::move(list);
    detail["searchinfo"] = "";
    detail["tags"] = "";
    detail["paginator"] = Json::object({{"lastPage", lastPage}, {"page", page}, {"items", total}});
    Json root;
    root["rateDetail"] = std::move(detail);
    return callback + "(" + dumpUtf8(root) + ")";
}

std::string lookupPage(const std::string& title, const std::string& scriptCookie) {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>" + title +
           "</title>\n<script>\ndocument.cookie = \"" + scriptCookie +
           "; path=/\";\n</script>\n</head>\n<body>\n<form id=\"query\" method=\"post\">"
           "<input type=\"text\" name=\"account\" placeholder=\"请输入旺旺号\" />"
           "<button type=\"submit\">查询</button></form>\n</body>\n</html>\n";
}

std::string creditBody(const Account& a) {
    Json j;
    j["status"] = 1;
    j["account"] = a.account;
    j["vip"] = a.vip;
    if (a.authedAsString) {
        j["authed"] = std::to_string(a.authed);
    } else {
        j["authed"] = a.authed;
    }
    j["area"] = a.area;
    j["reg_time"] = a.regTime;
    j["last_logintime"] = a.lastLogin;
    j["seller_total_point"] = a.sellerTotalPoint;
    j["shop"] = a.shop;
    j["buyer_total_point"] = a.buyerTotalPoint;
    j["week_avg"] = a.weekAvg;
    j["buyer_level"] = a.buyerLevel;
    j["seller_level"] = a.sellerLevel;
    j["sex"] = a.sex;
    j["active_point"] = a.activePoint;
    j["active_level"] = a.activeLevel;
    j["buyer_good_rate"] = a.buyerGoodRate;
    return dumpAscii(j);
}

std::string lookupErrorBody() {
    Json j;
    j["status"] = 0;
    j["msg"] = "非法请求，请刷新页面后重试";
    return dumpAscii(j);
}

std::string shelfBody(const Site& site, const Item* item) {
    Json j;
    j["status"] = 1;
    Json data = Json::array();
    if (item != nullptr) {
        Json d;
        d["goodid"] = item->id;
        d["title"] = item->title;
        d["img"] = pictureUrl(site.pictureBase(), *item, 's', 1, "jpg");
        d["create"] = item->created;
        d["start"] = item->listedAt;
        d["end"] = item->listedAt + 7 * 86400;
        d["wwid"] = item->nick;
        data.push_back(std::move(d));
    }
    j["count"] = data.size();
    j["data"] = std::move(data);
    j["msg"] = "";
    return dumpAscii(j);
}

std::string homePage() {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>Velmara电商学院"
           "</title>\n</head>\n<body>\n<h1>Velmara电商学院</h1>\n<p>最新版本下载</p>\n"
           "<a href=\"/download/latest.zip\">下载最新的系统</a>\n</body>\n</html>\n";
}

std::string punishPage(const Site& site, const std::string& host) {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>访问受限"
           "</title>\n</head>\n<body>\n<div class=\"punish-box\"><h1>亲，访问受限了</h1>"
           "<p>请<a href=\"//" +
           site.hostPort("login.taobao.localhost") +
           "/member/login.jhtml?redirectURL=https%3A%2F%2F" + host +
           "\">登录</a>后再试，或拖动下方滑块完成验证</p><div id=\"nocaptcha\"></div></div>\n"
           "<script>window._config_ = {\"action\":\"captcha\",\"HOST\":\"" +
           host + "\",\"NCAPPKEY\":\"X82Y__" + hex(mix(0, host), 32) +
           "\"};</script>\n</body>\n</html>\n";
}

std::string htmlErrorPage() {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>502 Bad Gateway"
           "</title>\n</head>\n<body>\n<h1>502 Bad Gateway</h1>\n<p>The proxy server received "
           "an invalid response from an upstream server.</p>\n<hr/>Tengine\n</body>\n</html>\n";
}

std::string notFoundPage() {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>404 Not Found"
           "</title>\n</head>\n<body>\n<h1>404 Not Found</h1>\n<hr/>Tengine\n</body>\n</html>\n";
}

}  // namespace quillet::fake
