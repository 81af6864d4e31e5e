#include "fake-marketplace/catalog.h"

#include <array>
#include <cstdio>

namespace quillet::fake {

namespace {

template <std::size_t N>
const char* pick(const std::array<const char*, N>& words, std::uint64_t h) {
    return words[h % N];
}

std::uint64_t splitmix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::string digits(std::uint64_t h, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>('0' + h % 10));
        h /= 10;
    }
    return out;
}

std::string dateText(std::uint64_t h, int baseYear) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d",
                  baseYear + static_cast<int>(h % 4), 1 + static_cast<int>((h >> 4) % 12),
                  1 + static_cast<int>((h >> 8) % 28), static_cast<int>((h >> 16) % 24),
                  static_cast<int>((h >> 24) % 60), static_cast<int>((h >> 32) % 60));
    return buf;
}

constexpr std::array<const char*, 12> kAdjectives = {"新款", "韩版", "宽松",  "加厚",
                                                     "简约", "复古", "ins风", "高腰",
                                                     "百搭", "修身", "纯棉",  "网红"};
constexpr std::array<const char*, 12> kNouns = {"连衣裙", "卫衣",     "牛仔裤", "手机壳",
                                                "保温杯", "运动鞋",   "双肩包", "T恤",
                                                "羽绒服", "蓝牙耳机", "台灯",   "收纳盒"};
constexpr std::array<const char*, 8> kTails = {"2017夏季", "女装", "男士", "学生",
                                               "潮流",     "正品", "包邮", "情侣款"};
constexpr std::array<const char*, 6> kShopHeads = {"小鱼", "阿狸", "木子", "晴天", "森林", "星空"};
constexpr std::array<const char*, 5> kShopTails = {"的小店", "家居馆", "潮品店", "工作室",
                                                   "精品屋"};
constexpr std::array<const char*, 6> kBrands = {"艾米", "优衣", "南极", "森马", "罗莱", "飞科"};
constexpr std::array<const char*, 8> kLocations = {
    "浙江 杭州", "广东 广州", "上海", "江苏 苏州", "福建 泉州", "北京", "广东 深圳", "浙江 义乌"};
constexpr std::array<const char*, 8> kPhrases = {
    "质量很好，和描述的一样",     "物流很快，包装完好",
    "颜色正，尺码标准",           "性价比很高，推荐购买",
    "第二次购买了，一如既往的好", "客服态度好，耐心解答",
    "面料舒服，做工精细",         "孩子很喜欢"};
constexpr std::array<const char*, 5> kEmoji = {"😀", "👍", "❤️", "🎉", "😊"};
constexpr std::array<const char*, 10> kSuggestTails = {"女",   "男",   "2017新款", "ins",  "学生",
                                                       "韩版", "加厚", "包邮",     "正品", "大码"};
constexpr std::array<const char*, 10> kTags = {"修身", "宽松", "长款",   "短款", "纯色",
                                               "条纹", "碎花", "中长款", "显瘦", "百搭"};
constexpr std::array<const char*, 6> kAreas = {"浙江省杭州市", "广东省广州市", "上海市",
                                               "江苏省南京市", "四川省成都市", "北京市"};

}  // namespace

std::uint64_t mix(std::uint64_t seed, std::string_view text, std::uint64_t n) {
    std::uint64_t h = 0xCBF29CE484222325ULL ^ splitmix(seed);
    for (unsigned char c : text) {
        h = (h ^ c) * 0x100000001B3ULL;
    }
    return splitmix(h ^ splitmix(n + 0x51ED));
}

std::string pictureUrl(const std::string& pictureBase, const Item& item, char kind, int number,
                       const std::string& extension, int variant) {
    const std::uint64_t h = mix(0, item.id, static_cast<std::uint64_t>(number));
    std::string name = "O1CN01";
    name.push_back(kind);
    name += std::to_string(number);
    if (variant > 0) {
        name += 'v';
        name += std::to_string(variant);
    }
    name += "x" + item.id + "_!!" + item.sellerId + "." + extension;
    return pictureBase + "/imgextra/i" + std::to_string(1 + h % 4) + "/" + item.sellerId + "/" +
           name;
}

Item Catalog::makeItem(const std::string& id, const std::string& keyword) const {
    const std::uint64_t h = mix(seed_, id);
    Item it;
    it.id = id;
    it.tmall = h % 3 == 0;
    const std::uint64_t t = splitmix(h);
    if (keyword.empty()) {
        it.title = std::string(pick(kTails, t)) + pick(kAdjectives, t >> 8) +
                   pick(kAdjectives, t >> 16) + pick(kNouns, t >> 24) + " " + pick(kTails, t >> 32);
    } else {
        it.title = keyword + " " + pick(kAdjectives, t >> 8) + pick(kAdjectives, t >> 16) +
                   pick(kTails, t >> 24) + pick(kNouns, t >> 40);
    }
    it.nick = it.tmall ? std::string(pick(kBrands, h >> 8)) + "旗舰店"
                       : std::string(pick(kShopHeads, h >> 8)) + pick(kShopTails, h >> 12);
    const int base = 19 + static_cast<int>((h >> 16) % 380);
    it.originalPrice = std::to_string(base) + ".00";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", base * 0.78);
    it.priceWap = buf;
    const auto sold = (h >> 20) % 8000;
    it.sold = std::to_string(sold);
    it.commentCount = std::to_string(sold * 2 / 3);
    it.location = pick(kLocations, h >> 28);
    it.sellerId = "22" + digits(h >> 3, 8);
    it.spuId = std::string("8") + digits(h >> 7, 8);
    it.mainPictures = it.tmall ? 5 : 4 + static_cast<int>((h >> 32) % 2);
    it.detailPictures = 3 + static_cast<int>((h >> 36) % 5);
    it.reviewCount = 12 + static_cast<int>((h >> 40) % 50);
    it.desktopSearchPage = static_cast<int>((h >> 44) % 2);
    it.created = dateText(h >> 5, 2014);
    it.listedAt = 1499500000 + static_cast<std::int64_t>((h >> 48) % 600000);
    return it;
}

Item& Catalog::remember(Item item) {
    idByTitle_[item.title] = item.id;
    auto& slot = items_[item.id];
    slot = std::move(item);
    return slot;
}

Item Catalog::item(const std::string& id) {
    std::lock_guard lock(mutex_);
    auto it = items_.find(id);
    if (it != items_.end()) {
        return it->second;
    }
    return remember(makeItem(id, ""));
}

void Catalog::setItem(Item item) {
    std::lock_guard lock(mutex_);
    remember(std::move(item));
}

std::optional<std::string> Catalog::idForTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    auto it = idByTitle_.find(title);
    if (it == idByTitle_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::vector<Catalog::Row> Catalog::searchRows(const std::string& keyword, int page, int perPage) {
    std::vector<Row> rows;
    if (page < 1 || page > kSearchPages) {
        return rows;
    }
    std::lock_guard lock(mutex_);
    for (int i = 0; i < perPage; ++i) {
        const std::uint64_t h = mix(seed_, keyword, static_cast<std::uint64_t>(page * 1000 + i));
        Row row;
        row.id = std::to_string(520000000000ULL + h % 79999999999ULL);
        // Paid placements stand at a few fixed slots, as the marketplace mixes them in.
        row.paid = i % 6 == 1 || (i == 10 && h % 2 == 0);
        // Some paid placements come without a review count; the first of a page always does.
        row.withCommentCount = !row.paid || (i != 1 && (h >> 8) % 2 == 0);
        if (!items_.contains(row.id)) {
            remember(makeItem(row.id, keyword));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> Catalog::desktopIds(const std::string& query, int page, int perPage) {
    std::vector<std::string> ids;
    for (int i = 0; i < perPage; ++i) {
        const std::uint64_t h =
            mix(seed_ ^ 0xD35C, query, static_cast<std::uint64_t>(page * 1000 + i));
        ids.push_back(std::to_string(530000000000ULL + h % 69999999999ULL));
    }
    return ids;
}

std::vector<Review> Catalog::reviews(const Item& item, const std::string& pictureBase) {
    std::vector<Review> out;
    for (int k = 0; k < item.reviewCount; ++k) {
        const std::uint64_t h = mix(seed_, item.id, static_cast<std::uint64_t>(k) + 77);
        Review review;
        review.content =
            std::string(pick(kPhrases, h)) + "，" + pick(kPhrases, h >> 8) + pick(kEmoji, h >> 16);
        if ((h >> 20) % 3 == 0) {
            const int photos = 1 + static_cast<int>((h >> 24) % 3);
            for (int j = 1; j <= photos; ++j) {
                review.photos.push_back(
                    pictureUrl(pictureBase, item, 'r', j, j % 2 == 1 ? "jpg" : "png", k + 1));
            }
        }
        out.push_back(std::move(review));
    }
    return out;
}

SuggestAnswer Catalog::suggestions(const std::string& keyword) const {
    SuggestAnswer answer;
    const std::uint64_t h = mix(seed_, keyword, 5);
    std::uint64_t volume = 20000 + h % 80000;
    for (std::size_t i = 0; i < kSuggestTails.size(); ++i) {
        answer.words.emplace_back(keyword + kSuggestTails[(h + i) % kSuggestTails.size()],
                                  std::to_string(volume));
        volume = volume * (60 + (h >> i) % 35) / 100;
    }
    answer.withMagic = h % 4 != 0;
    if (answer.withMagic) {
        for (int g = 0; g < 2; ++g) {
            std::vector<std::pair<std::string, bool>> group;
            for (int t = 0; t < 4; ++t) {
                const auto th = mix(h, "tag", static_cast<std::uint64_t>(g * 10 + t));
                group.emplace_back(kTags[(g * 4 + t + h) % kTags.size()], th % 3 == 0);
            }
            answer.tagGroups.push_back(std::move(group));
        }
    }
    return answer;
}

Account Catalog::account(const std::string& name) const {
    const std::uint64_t h = mix(seed_, name, 9);
    Account a;
    a.account = name;
    a.vip = h % 5 == 0 ? -1 : static_cast<int>((h >> 3) % 7);
    a.authed = (h >> 6) % 4 == 0 ? 0 : 2;
    a.authedAsString = (h >> 8) % 2 == 0;
    a.area = pick(kAreas, h >> 10);
    a.regTime = dateText(h >> 13, 2009);
    a.lastLogin = dateText(h >> 17, 2017);
    a.shop = (h >> 21) % 3 == 0 ? 1 : 0;
    a.sellerTotalPoint = a.shop != 0 ? static_cast<int>((h >> 23) % 500) : 0;
    a.buyerTotalPoint = static_cast<int>((h >> 30) % 3000);
    a.weekAvg = static_cast<double>((h >> 34) % 180) / 100.0;
    a.buyerLevel = 1 + static_cast<int>((h >> 40) % 10);
    a.sellerLevel = a.shop != 0 ? std::to_string(1 + (h >> 44) % 5) : "0";
    a.sex = (h >> 47) % 2 == 0 ? "女号" : "男号";
    a.activePoint = static_cast<int>((h >> 48) % 900);
    a.activeLevel = 1 + static_cast<int>((h >> 52) % 6);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", 95.0 + static_cast<double>((h >> 54) % 500) / 100.0);
    a.buyerGoodRate = buf;
    return a;
}

SearchItem Catalog::searchItem(const Item& item, bool paid, bool withCommentCount) {
    SearchItem s;
    s.itemNumId = item.id;
    s.title = item.title;
    s.sold = item.sold;
    s.commentCount = withCommentCount ? item.commentCount : std::string();
    s.nick = item.nick;
    s.isB2c = std::string(item.tmall ? "1" : "0");
    s.originalPrice = item.originalPrice;
    s.priceWap = item.priceWap;
    s.isP4p = paid ? "true" : "false";
    s.location = item.location;
    return s;
}

}  // namespace quillet::fake
