// Each endpoint of the fake marketplace answers in the shape the program reads: the JSON is
// parsed, and the markers the program cuts pages with are looked for, following the same
// chain of addresses the program follows (item page, description page, pictures).

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "client.h"
#include "fake-marketplace/fake_marketplace.h"

namespace quillet::fake::test {
namespace {

using Json = nlohmann::ordered_json;

std::string fromGbk(const std::string& gbk) {
    UErrorCode status = U_ZERO_ERROR;
    std::string out(gbk.size() * 2 + 16, '\0');
    const int32_t n = ucnv_convert("UTF-8", "GBK", out.data(), static_cast<int32_t>(out.size()),
                                   gbk.data(), static_cast<int32_t>(gbk.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string pictureFormat(const std::string& bytes) {
    if (bytes.rfind("\xFF\xD8\xFF", 0) == 0) {
        return "jpg";
    }
    if (bytes.rfind("\x89PNG", 0) == 0) {
        return "png";
    }
    if (bytes.rfind("GIF89a", 0) == 0) {
        return "gif";
    }
    return "?";
}

QImage decode(const std::string& bytes) {
    return QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

class Answers : public ::testing::Test {
protected:
    std::string url(const std::string& endpoint, const std::string& pathAndQuery) const {
        return market.baseUrl(endpoint) + pathAndQuery;
    }
    std::string searchUrl(const std::string& encodedKeyword, int page) const {
        return url(kMobileSearch,
                   "/search?event_submit_do_new_search_auction=1&_input_charset=utf-8&topSearch=1"
                   "&atype=b&searchfrom=1&action=home%3Aredirect_app_action&from=1&q=" +
                       encodedKeyword +
                       "&sst=1&n=20&buying=buyitnow&m=api4h5&abtest=14"
                       "&wlsort=14&page=" +
                       std::to_string(page));
    }
    Json searchJson(const std::string& encodedKeyword, int page) const {
        const Reply r = fetch(searchUrl(encodedKeyword, page));
        EXPECT_EQ(r.status, 200);
        return Json::parse(r.body);
    }

    FakeMarketplace market;
};

TEST(Endpoints, FileNamesEveryKeyAndEveryHostAnswersOnThePort) {
    FakeMarketplace market;
    const std::string port = std::to_string(market.port());
    const std::string expected = "mobile_search=http://s.m.taobao.localhost:" + port + "\n" +
                                 "suggest=http://suggest.taobao.localhost:" + port + "\n" +
                                 "taobao_item=http://item.taobao.localhost:" + port + "\n" +
                                 "tmall_item=http://detail.tmall.localhost:" + port + "\n" +
                                 "tmall_title_domain=tmall.localhost\n" +
                                 "desktop_search=http://s.taobao.localhost:" + port + "\n" +
                                 "taobao_rate=http://rate.taobao.localhost:" + port + "\n" +
                                 "tmall_rate=http://rate.tmall.localhost:" + port + "\n" +
                                 "lookup_service=http://lookup.localhost:" + port + "\n" +
                                 "update=http://update.localhost:" + port + "\n" +
                                 "home_page=http://home.localhost:" + port + "\n";
    EXPECT_EQ(market.endpointsFileText(), expected);

    const auto file =
        std::filesystem::temp_directory_path() / ("quillet-endpoints-" + port + ".txt");
    market.writeEndpointsFile(file);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
    std::filesystem::remove(file);

    // The version file holds the text alone: no line break, no byte-order mark.
    const Reply version = fetch(market.baseUrl(kUpdate) + "/yz/bb.txt");
    EXPECT_EQ(version.status, 200);
    EXPECT_EQ(version.body, "1.0");
    market.setVersionText("1.1");
    EXPECT_EQ(fetch(market.baseUrl(kUpdate) + "/yz/bb.txt").body, "1.1");

    const Reply home = fetch(market.baseUrl(kHomePage) + "/");
    EXPECT_EQ(home.status, 200);
    EXPECT_NE(home.body.find("<html>"), std::string::npos);

    // A path the endpoint does not serve, and a host the server does not know.
    EXPECT_EQ(fetch(market.baseUrl(kUpdate) + "/yz/other.txt").status, 404);
    EXPECT_EQ(fetch("http://127.0.0.1:" + port + "/yz/bb.txt").status, 404);
}

TEST(Endpoints, HttpsEndpointsVerifyAgainstTheServedCertificate) {
    Options options;
    options.httpsEndpoints = true;
    FakeMarketplace market(options);
    const std::string text = market.endpointsFileText();
    EXPECT_NE(text.find("mobile_search=https://s.m.taobao.localhost:"), std::string::npos);
    EXPECT_NE(text.find("lookup_service=https://lookup.localhost:"), std::string::npos);
    // The version file and the home page stay on http, as the program fixes them.
    EXPECT_NE(text.find("update=http://update.localhost:"), std::string::npos);
    EXPECT_NE(text.find("home_page=http://home.localhost:"), std::string::npos);

    Request verified;
    verified.caPem = market.certificatePem();
    for (const char* endpoint : {kMobileSearch, kTaobaoItem, kLookupService}) {
        SCOPED_TRACE(endpoint);
        const Reply r = fetch(market.baseUrl(endpoint) + "/", verified);
        EXPECT_EQ(r.code, CURLE_OK) << curl_easy_strerror(r.code);
        EXPECT_EQ(r.httpVersion, CURL_HTTP_VERSION_1_1);
    }
    // Pictures are named without a scheme and fetched with https: in front.
    const Reply picture =
        fetch("https://" + market.host(kPictures) + ":" + std::to_string(market.port()) +
                  "/imgextra/i1/1/O1CN01m1x1_!!1.jpg",
              verified);
    EXPECT_EQ(picture.code, CURLE_OK);
    EXPECT_EQ(pictureFormat(picture.body), "jpg");
    // Plain HTTP on the same port still works.
    EXPECT_EQ(fetch(market.baseUrl(kUpdate) + "/yz/bb.txt").body, "1.0");

    const auto log = market.requests();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_TRUE(log[0].tls);
    EXPECT_FALSE(log[4].tls);
}

TEST_F(Answers, MobileSearchIsCompactJsonOfTwentyStringRows) {
    // 手机 壳: Chinese characters and a space, every byte escaped as the program sends it.
    const std::string keyword = "%E6%89%8B%E6%9C%BA%20%E5%A3%B3";
    const Reply r = fetch(searchUrl(keyword, 2));
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(r.body.find('\n'), std::string::npos);
    EXPECT_EQ(r.body.find("\": "), std::string::npos);
    EXPECT_NE(r.body.find("%3D"), std::string::npos);
    EXPECT_NE(r.body.find("&amp;"), std::string::npos);

    const Json j = Json::parse(r.body);
    std::vector<std::string> members;
    for (const auto& [key, value] : j.items()) {
        members.push_back(key);
    }
    EXPECT_EQ(members, (std::vector<std::string>{"totalPage", "RN", "result", "catmap", "ppath",
                                                 "defaultViewType", "listItem"}));
    const Json& items = j["listItem"];
    ASSERT_EQ(items.size(), 20u);
    int paid = 0;
    int paidWithoutComments = 0;
    for (const auto& item : items) {
        for (const auto& [key, value] : item.items()) {
            EXPECT_TRUE(value.is_string()) << key;
        }
        const std::string p4p = item["isP4p"];
        EXPECT_TRUE(p4p == "true" || p4p == "false") << p4p;
        const std::string b2c = item["isB2c"];
        EXPECT_TRUE(b2c == "0" || b2c == "1") << b2c;
        EXPECT_NE(item["title"].get<std::string>().find("手机 壳"), std::string::npos);
        const std::string id = item["itemNumId"];
        EXPECT_EQ(id.size(), 12u);
        // A listed item opens with the same title.
        EXPECT_EQ(market.item(id).title, item["title"].get<std::string>());
        if (p4p == "true") {
            ++paid;
            paidWithoutComments += item["commentCount"] == "" ? 1 : 0;
        }
    }
    EXPECT_GE(paid, 3);
    EXPECT_GE(paidWithoutComments, 1);

    // The same keyword gives the same page, and another seed another one.
    EXPECT_EQ(fetch(searchUrl(keyword, 2)).body, r.body);
    Options other;
    other.seed = 2;
    FakeMarketplace second(other);
    const Reply r2 = fetch(second.baseUrl(kMobileSearch) + "/search?q=" + keyword + "&page=2");
    EXPECT_NE(Json::parse(r2.body)["listItem"][0]["itemNumId"], items[0]["itemNumId"]);
}

TEST_F(Answers, ScriptedSearchPagesAnswerExactlyTheRowsGiven) {
    std::vector<SearchItem> first;
    std::vector<SearchItem> second;
    for (int i = 0; i < 20; ++i) {
        first.push_back(market.searchItem(std::to_string(600000000000LL + i)));
    }
    for (int i = 0; i < 18; ++i) {
        second.push_back(market.searchItem(std::to_string(610000000000LL + i), i % 2 == 0));
    }
    second[2].isB2c.reset();
    second[3].isP4p = "TRUE";
    second[4].commentCount = "";
    market.setSearchPages("连衣裙", {first, second});
    const std::string keyword = "%E8%BF%9E%E8%A1%A3%E8%A3%99";

    const Json page1 = searchJson(keyword, 1);
    ASSERT_EQ(page1["listItem"].size(), 20u);
    EXPECT_EQ(page1["listItem"][0]["itemNumId"], "600000000000");
    EXPECT_EQ(page1["listItem"][0]["isP4p"], "false");
    EXPECT_EQ(page1["totalPage"], "2");
    const Json page2 = searchJson(keyword, 2);
    ASSERT_EQ(page2["listItem"].size(), 18u);
    EXPECT_FALSE(page2["listItem"][2].contains("isB2c"));
    EXPECT_EQ(page2["listItem"][3]["isP4p"], "TRUE");
    EXPECT_EQ(page2["listItem"][4]["commentCount"], "");
    EXPECT_EQ(page2["listItem"][0]["isP4p"], "true");
    // Past the scripted pages: a valid answer with no rows.
    const Json page3 = searchJson(keyword, 3);
    EXPECT_TRUE(page3["listItem"].is_array());
    EXPECT_TRUE(page3["listItem"].empty());

    SearchPage broken;
    broken.rawBody = "<html><body>系统繁忙</body></html>";
    broken.status = 502;
    market.setSearchPages("broken", {broken});
    const Reply r = fetch(searchUrl("broken", 1));
    EXPECT_EQ(r.status, 502);
    EXPECT_EQ(r.body, *broken.rawBody);
}

TEST_F(Answers, SuggestionsAreJsonpWithStringVolumesAndTagGroups) {
    const Reply generated =
        fetch(url(kSuggest,
                  "/sug?code=utf-8&q=%E6%89%8B%E6%9C%BA&_ksTS=1499418900615_2121"
                  "&callback=jsonp2122&k=1&area=c2c&bucketid=5"));
    ASSERT_EQ(generated.status, 200);
    ASSERT_EQ(generated.body.rfind("jsonp2122(", 0), 0u);
    ASSERT_EQ(generated.body.back(), ')');
    const Json j = Json::parse(generated.body.substr(10, generated.body.size() - 11));
    ASSERT_GE(j["result"].size(), 5u);
    for (const auto& pair : j["result"]) {
        ASSERT_EQ(pair.size(), 2u);
        EXPECT_EQ(pair[0].get<std::string>().rfind("手机", 0), 0u);
        EXPECT_TRUE(pair[1].is_string());
    }

    SuggestAnswer scripted;
    scripted.words = {{"手机壳", "1234"}, {"手机壳女", "567"}};
    scripted.tagGroups = {{{"硅胶", false}, {"卡通", true}}, {{"磨砂", false}}};
    market.setSuggestions("手机壳", scripted);
    const Reply r = fetch(url(kSuggest, "/sug?q=%E6%89%8B%E6%9C%BA%E5%A3%B3&callback=cb"));
    EXPECT_EQ(r.body,
              "cb({\"result\":[[\"手机壳\",\"1234\"],[\"手机壳女\",\"567\"]],\"magic\":[{"
              "\"index\":\"1\",\"type\":\"tag_group\",\"data\":[[{\"title\":\"硅胶\"},{\"title\":"
              "\"卡通\",\"type\":\"hot\"}],[{\"title\":\"磨砂\"}]]}]})");

    scripted.withMagic = false;
    market.setSuggestions("ab", scripted);
    const Reply plain = fetch(url(kSuggest, "/sug?q=%61%62&callback=cb"));
    EXPECT_EQ(plain.body.find("\"magic\":"), std::string::npos);
    EXPECT_NE(plain.body.find("[\"手机壳\",\"1234\"]"), std::string::npos);
}

TEST_F(Answers, TaobaoItemPageLeadsToItsDescriptionAndPictures) {
    Item item = market.item("523456789012");
    item.title = "测试宝贝 纯棉T恤";
    item.mainPictures = 5;
    item.detailPictures = 6;
    market.setItem(item);

    const Reply page = fetch(market.itemPageUrl(item.id, false));
    ASSERT_EQ(page.status, 200);
    const std::string text = fromGbk(page.body);
    EXPECT_NE(text.find("<meta charset=\"gbk\""), std::string::npos);
    EXPECT_EQ(between(text, "<title>", "-淘宝网</title>"), item.title);
    EXPECT_EQ(between(text, "data-title=\"", "\""), item.title);
    EXPECT_EQ(between(text, "userid=", ";"), item.sellerId);

    const std::string images = between(text, "auctionImages    : [", "]") + ",";
    const auto addresses = allBetween(images, "\"", "\",");
    ASSERT_EQ(addresses.size(), 5u);
    std::set<std::string> formats;
    for (const auto& address : addresses) {
        ASSERT_EQ(address.rfind("//", 0), 0u) << address;
        const Reply picture = fetch("https:" + address);
        ASSERT_EQ(picture.status, 200) << address;
        const std::string ext = address.substr(address.rfind('.') + 1);
        EXPECT_EQ(pictureFormat(picture.body), ext);
        EXPECT_FALSE(decode(picture.body).isNull()) << address;
        formats.insert(ext);
    }
    EXPECT_EQ(formats, (std::set<std::string>{"jpg", "png"}));

    const std::string desc =
        between(text, "descUrl          : location.protocol==='http:' ? '", "'");
    ASSERT_FALSE(desc.empty());
    const Reply description = fetch("http:" + desc);
    ASSERT_EQ(description.status, 200);
    const std::string descText = fromGbk(description.body);
    EXPECT_EQ(descText.rfind("var desc='", 0), 0u);
    const auto detail = allBetween(descText, "src=\"", "\"");
    ASSERT_EQ(detail.size(), 6u);
    std::set<std::string> detailFormats;
    for (const auto& address : detail) {
        const Reply picture = fetch(address);  // used exactly as found
        ASSERT_EQ(picture.status, 200) << address;
        EXPECT_FALSE(decode(picture.body).isNull()) << address;
        detailFormats.insert(pictureFormat(picture.body));
    }
    EXPECT_EQ(detailFormats, (std::set<std::string>{"jpg", "png", "gif"}));
}

TEST_F(Answers, TmallItemPageCarriesBoothThumbnailsAndIds) {
    Item item = market.item("612345678901");
    item.tmall = true;
    item.title = "天猫测试 羽绒服";
    item.mainPictures = 4;
    item.detailPictures = 2;
    market.setItem(item);

    const Reply page = fetch(market.itemPageUrl(item.id, true));
    ASSERT_EQ(page.status, 200);
    const std::string text = fromGbk(page.body);
    EXPECT_EQ(text.find("-淘宝网</title>"), std::string::npos);
    EXPECT_EQ(between(text, "<title>", "-tmall.localhost天猫</title>"), item.title);
    EXPECT_EQ(between(text, "<img id=\"J_ImgBooth\" alt=\"", "\" src=\""), item.title);
    EXPECT_NE(text.find("\" data-hasZoom=\"700\" />"), std::string::npos);
    EXPECT_EQ(between(text, "\"spuId\":\"", "\""), item.spuId);
    EXPECT_EQ(between(text, "\"userId\":\"", "\""), item.sellerId);

    const auto thumbs = allBetween(text, "<a href=\"#\"><img src=\"", "\"");
    ASSERT_EQ(thumbs.size(), 4u);
    for (const auto& thumb : thumbs) {
        ASSERT_NE(thumb.find("_60x60q90.jpg"), std::string::npos);
        const Reply small = fetch("https:" + thumb);
        EXPECT_EQ(decode(small.body).size(), QSize(60, 60)) << thumb;
        // Without its thumbnail suffix the address gives the full picture in its own format.
        const std::string full = thumb.substr(0, thumb.find("_60x60q90.jpg"));
        const Reply big = fetch("https:" + full);
        EXPECT_EQ(pictureFormat(big.body), full.substr(full.rfind('.') + 1));
        EXPECT_EQ(decode(big.body).size(), QSize(320, 320)) << full;
    }

    const std::string desc = between(text, "\"httpsDescUrl\":\"", "\"");
    const Reply description = fetch("https:" + desc);
    const auto detail =
        allBetween(fromGbk(description.body), "<img align=\"absmiddle\" src=\"", "\">");
    ASSERT_EQ(detail.size(), 2u);
    EXPECT_FALSE(decode(fetch(detail[1]).body).isNull());

    // The title domain follows the option, so the program must read it from the endpoints.
    Options options;
    options.tmallTitleDomain = "tmall.test";
    FakeMarketplace other(options);
    EXPECT_NE(other.endpointsFileText().find("tmall_title_domain=tmall.test\n"), std::string::npos);
    const std::string otherText = fromGbk(fetch(other.itemPageUrl("612345678901", true)).body);
    EXPECT_NE(otherText.find("-tmall.test天猫</title>"), std::string::npos);
}

TEST_F(Answers, DesktopSearchHoldsTheItemPriceInsideItsBlock) {
    Item item = market.item("587654321098");
    item.title = "桌面搜索 测试款";
    item.priceWap = "88.50";
    item.desktopSearchPage = 1;
    market.setItem(item);
    const std::string q = "%E6%A1%8C%E9%9D%A2%E6%90%9C%E7%B4%A2%20%E6%B5%8B%E8%AF%95%E6%AC%BE";

    // The program's look-up: blocks between "p4pTags" and "}}", the one holding the quoted
    // ID gives "view_price".
    auto priceOnPage = [&](int s) {
        const Reply r = fetch(url(kDesktopSearch, "/search?q=" + q + "&s=" + std::to_string(s)));
        EXPECT_EQ(r.status, 200);
        EXPECT_NE(r.body.find("g_page_config = {"), std::string::npos);
        EXPECT_NE(r.body.find("\\u003d"), std::string::npos);
        EXPECT_NE(r.body.find("\\u0026"), std::string::npos);
        const auto blocks = allBetween(r.body, "p4pTags", "}}");
        EXPECT_EQ(blocks.size(), 44u);
        for (const auto& block : blocks) {
            if (block.find("\"" + item.id + "\"") != std::string::npos) {
                return between(block, "\"view_price\":\"", "\"");
            }
        }
        return std::string();
    };
    EXPECT_EQ(priceOnPage(0), "");
    EXPECT_EQ(priceOnPage(44), "88.50");
    // The page data is valid JSON once cut out of the script.
    const Reply r = fetch(url(kDesktopSearch, "/search?q=" + q + "&s=44"));
    const std::string config = between(r.body, "g_page_config = ", ";\n");
    const Json j = Json::parse(config);
    EXPECT_EQ(j["mods"]["itemlist"]["data"]["auctions"].size(), 44u);
}

TEST_F(Answers, TaobaoReviewsPageByPageWithPhotosAndEmoji) {
    Item item = market.item("534567890123");
    item.reviewCount = 45;
    market.setItem(item);
    auto reviewsUrl = [&](int page) {
        return url(kTaobaoRate, "/feedRateList.htm?auctionNumId=" + item.id + "&userNumId=" +
                                    item.sellerId + "&currentPageNum=" + std::to_string(page) +
                                    "&pageSize=20&rateType=&orderType=sort_weight&attribute="
                                    "&sku=&hasSku=false&folded=0&ua=098%23E1hv&_ksTS="
                                    "1499418900615_1131&callback=jsonp_tbcrate_reviews_list");
    };
    int reviews = 0;
    int photos = 0;
    bool emoji = false;
    for (int page = 1; page <= 3; ++page) {
        const Reply r = fetch(reviewsUrl(page));
        ASSERT_EQ(r.body.rfind("jsonp_tbcrate_reviews_list(", 0), 0u);
        EXPECT_EQ(between(r.body, "\"total\":", "\""), "45,");
        // The program cuts the JSON at the first ")": none may stand inside it.
        const std::string json = between(r.body, "(", ")");
        EXPECT_EQ(json.size() + 28, r.body.size());
        const Json j = Json::parse(json);
        EXPECT_EQ(j["total"], 45);
        for (const auto& c : j["comments"]) {
            ++reviews;
            emoji = emoji || c["content"].get<std::string>().find("\xF0\x9F") != std::string::npos;
            for (const auto& p : c["photos"]) {
                ++photos;
                EXPECT_EQ(p["status"], 0);
                EXPECT_TRUE(p["receiveId"].is_number());
                const Reply picture = fetch("https:" + p["url"].get<std::string>());
                EXPECT_FALSE(decode(picture.body).isNull());
            }
        }
    }
    EXPECT_EQ(reviews, 45);
    EXPECT_GT(photos, 0);
    EXPECT_TRUE(emoji);
    EXPECT_TRUE(Json::parse(between(fetch(reviewsUrl(4)).body, "(", ")"))["comments"].empty());
}

TEST_F(Answers, TmallReviewsCarryThePaginatorAndScriptsOverrideIt) {
    Item item = market.item("645678901234");
    item.reviewCount = 41;
    market.setItem(item);
    auto reviewsUrl = [&](const std::string& id, int page) {
        return url(kTmallRate, "/list_detail_rate.htm?itemId=" + id +
                                   "&spuId=1&sellerId=2&order=3"
                                   "&currentPage=" +
                                   std::to_string(page) +
                                   "&append=0&content=1&tagId=&posi=&picture=&ua=1&isg=2&needFold=0"
                                   "&_ksTS=1499418900615_2799&callback=jsonp2800");
    };
    const Reply r = fetch(reviewsUrl(item.id, 3));
    ASSERT_EQ(r.body.rfind("jsonp2800({\"rateDetail\":{", 0), 0u);
    EXPECT_EQ(between(r.body, "\"lastPage\":", ","), "3");
    const Json j = Json::parse(between(r.body, "(", ")"));
    EXPECT_EQ(j["rateDetail"]["paginator"]["page"], 3);
    EXPECT_EQ(j["rateDetail"]["paginator"]["items"], 41);
    EXPECT_EQ(j["rateDetail"]["rateList"].size(), 1u);

    // A script: two pages, the first with photos of two formats; a lastPage of 0 as the
    // marketplace sometimes answers.
    const std::string pictures =
        "//" + market.host(kPictures) + ":" + std::to_string(market.port()) + "/imgextra/i1/9/";
    ReviewScript script;
    script.pages.resize(2);
    script.pages[0].reviews = {
        Review{"好看😀", {pictures + "O1CN01r1x9_!!9.jpg", pictures + "O1CN01r2x9_!!9.png"}}};
    script.pages[1].reviews = {Review{"一般", {}}};
    script.lastPage = 0;
    market.setReviews("699999999999", script);
    const Json first = Json::parse(between(fetch(reviewsUrl("699999999999", 1)).body, "(", ")"));
    EXPECT_EQ(first["rateDetail"]["paginator"]["lastPage"], 0);
    const auto& pics = first["rateDetail"]["rateList"][0]["pics"];
    ASSERT_EQ(pics.size(), 2u);
    EXPECT_EQ(pictureFormat(fetch("https:" + pics[1].get<std::string>()).body), "png");
    EXPECT_EQ(first["rateDetail"]["rateList"][0]["rateContent"], "好看😀");
}

TEST_F(Answers, LookupAnswersOnlyWithBothCookiesOfItsPage) {
    const std::string base = market.baseUrl(kLookupService);
    const Reply page = fetch(base + "/credit2");
    ASSERT_EQ(page.status, 200);
    const std::string headerCookie = between(page.headers, "Set-Cookie: ", ";");
    const std::string scriptCookie = between(page.body, "document.cookie = \"", ";");
    ASSERT_EQ(headerCookie.rfind("PHPSESSID=", 0), 0u);
    ASSERT_EQ(scriptCookie.rfind("lk_verify=", 0), 0u);

    Request post;
    post.method = "POST";
    post.body = "account=%E5%BC%A0%E4%B8%89";
    post.headers = {"Content-Type: application/x-www-form-urlencoded; charset=UTF-8"};
    const struct {
        const char* name;
        std::string cookie;
        bool answered;
    } cases[] = {
        {"no cookie", "", false},
        {"header cookie only", headerCookie, false},
        {"script cookie only", scriptCookie, false},
        {"a made-up token", headerCookie + "; lk_verify=123", false},
        {"both cookies", headerCookie + "; " + scriptCookie, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Request r = post;
        if (!c.cookie.empty()) {
            r.headers.push_back("Cookie: " + c.cookie);
        }
        const Reply reply = fetch(base + "/credit2/index/get", r);
        ASSERT_EQ(reply.status, 200);
        // Escapes only: the body is plain ASCII.
        EXPECT_TRUE(std::all_of(reply.body.begin(), reply.body.end(),
                                [](char ch) { return static_cast<unsigned char>(ch) < 0x80; }));
        const Json j = Json::parse(reply.body);
        EXPECT_EQ(j["status"], c.answered ? 1 : 0);
        if (c.answered) {
            EXPECT_EQ(j["account"], "张三");
            EXPECT_NE(reply.body.find("\\u5f20\\u4e09"), std::string::npos);
            for (const char* member :
                 {"vip", "authed", "area", "reg_time", "last_logintime", "seller_total_point",
                  "shop", "buyer_total_point", "week_avg", "buyer_level", "seller_level", "sex",
                  "active_point", "active_level", "buyer_good_rate"}) {
                EXPECT_TRUE(j.contains(member)) << member;
            }
        }
    }

    // The shelf page hands out its own pair, which the shelf post accepts as well.
    const Reply shelfPage = fetch(base + "/shelf/index/init");
    Request shelf = post;
    shelf.body = "pattern=1&wwid=&goodid=556677889900&page=1";
    shelf.headers.push_back("Cookie: " + between(shelfPage.headers, "Set-Cookie: ", ";") + "; " +
                            between(shelfPage.body, "document.cookie = \"", ";"));
    const Json j = Json::parse(fetch(base + "/shelf/index/get", shelf).body);
    const Item item = market.item("556677889900");
    EXPECT_EQ(j["data"][0]["title"], item.title);
    EXPECT_EQ(std::to_string(j["data"][0]["start"].get<long long>()).size(), 10u);
    const Reply picture = fetch("https:" + j["data"][0]["img"].get<std::string>());
    EXPECT_FALSE(decode(picture.body).isNull());
    shelf.body = "pattern=1&wwid=&goodid=&page=1";
    EXPECT_TRUE(Json::parse(fetch(base + "/shelf/index/get", shelf).body)["data"].empty());
}

TEST_F(Answers, PicturesDecodeInEachFormatAndSize) {
    const std::string base = "https://" + market.host(kPictures) + ":" +
                             std::to_string(market.port()) + "/imgextra/i2/2200/";
    const struct {
        std::string name;
        const char* format;
        QSize size;
    } cases[] = {
        {"O1CN01m1x5_!!2200.jpg", "jpg", {320, 320}},
        {"O1CN01m2x5_!!2200.png", "png", {320, 320}},
        {"O1CN01d4x5_!!2200.gif", "gif", {480, 240}},
        {"O1CN01r1v3x5_!!2200.jpg", "jpg", {240, 240}},
        {"O1CN01m2x5_!!2200.png_60x60q90.jpg", "jpg", {60, 60}},
        {"O1CN01m1x5_!!2200.jpg_430x430q90.jpg", "jpg", {430, 430}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Reply r = fetch(base + c.name);
        ASSERT_EQ(r.status, 200);
        EXPECT_EQ(pictureFormat(r.body), c.format);
        const QImage image = decode(r.body);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), c.size);
        // A border, a lighter ground and a dark number in the middle: a picture, not a fill.
        const QRgb border = image.pixel(1, 1);
        const QRgb ground = image.pixel(image.width() / 4, image.height() / 4);
        EXPECT_GT(qGray(ground), qGray(border) + 20);
        EXPECT_LT(qGray(image.pixel(image.width() / 2, image.height() / 2)), 60);
    }
    EXPECT_EQ(fetch(base + "O1CN01m1x5_!!2200.txt").status, 404);
}

}  // namespace
}  // namespace quillet::fake::test
