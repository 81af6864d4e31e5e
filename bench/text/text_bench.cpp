// Goals: a 30 KB search page parsed and read in under 1 ms; each regex pattern over a 300 KB
// item page in under 2 ms; no helper over 50 ms on any input up to 1 MB.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/codepage.h"
#include "text/coding.h"
#include "text/cookies.h"
#include "text/json_document.h"
#include "text/regex_matcher.h"
#include "text/text_between.h"

namespace {

using namespace quillet;

const std::string kQuote = "#\xE5\xBC\x95\xE5\x8F\xB7";
const std::string kTitle = "\xE6\x89\x8B\xE6\x9C\xBA\xE5\xA3\xB3";  // 手机壳

// A mobile search answer: 20 items of about 1.5 KB each.
std::string searchPage() {
    std::string page = R"({"totalResults":"4000","listItem":[)";
    for (int i = 0; i < 20; ++i) {
        if (i > 0) {
            page += ",";
        }
        std::string n = std::to_string(i);
        page += R"({"itemNumId":"5680)" + n + R"(12345","title":")";
        for (int k = 0; k < 30; ++k) {
            page += kTitle;
        }
        page += R"(","price":")" + n + R"(9.90","originalPrice":129.5,"sold":")" + n +
                R"(00","nick":"shop)" + n +
                R"(","location":"\u6d59\u6c5f","freeShipping":true,)"
                R"("pic_path":"//img.example/bao/uploaded/i4/)" +
                n + R"(/O1CN01abcdefghij_!!0-item_pic.jpg","userId":"22)" + n +
                R"(334455","isP4p":"false","act":")" + n +
                R"(","url":"//item.example/item.htm?id=5680)" + n +
                R"(12345","extra":{"tags":[1,2,3],"coupon":null,"note":")" + std::string(800, 'x') +
                R"("}})";
    }
    page += "]}";
    return page;
}

void BM_SearchPage(benchmark::State& state) {
    const std::string page = searchPage();
    const char* fields[] = {"itemNumId", "title",    "price",    "originalPrice", "sold",
                            "nick",      "location", "pic_path", "userId",        "isP4p"};
    for (auto _ : state) {
        JsonDocument doc;
        doc.parse(page);
        long long items = doc.count("listItem");
        for (long long i = 0; i < items; ++i) {
            for (const char* field : fields) {
                benchmark::DoNotOptimize(
                    doc.getValue("listItem[" + std::to_string(i) + "]." + field));
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_SearchPage)->Unit(benchmark::kMicrosecond);

// An item page of about 300 KB holding what every pattern looks for.
std::string itemPage() {
    std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
        "<title>" +
        kTitle + "</title></head><body>\n";
    page += "auctionImages    : [";
    for (int i = 0; i < 5; ++i) {
        page += "\"//img.example/i" + std::to_string(i) + ".jpg\",";
    }
    page += "\"//img.example/last.jpg\"]\n";
    page += "<img id=\"J_ImgBooth\" alt=\"" + kTitle + "\" src=\"//img.example/booth.jpg\" />\n";
    for (int i = 0; i < 5; ++i) {
        page += "<a href=\"#\"><img src=\"//img.example/t" + std::to_string(i) +
                ".jpg_60x60q90.jpg\" /></a>\n";
    }
    int line = 0;
    while (page.size() < 300 * 1024) {
        page +=
            "<div class=\"row\" data-n=\"" + std::to_string(line) + "\">" + kTitle +
            " <span>\"text\", more text</span> <img src=\"//img.example/d" + std::to_string(line) +
            ".jpg\"> <img align=\"absmiddle\" src=\"//img.example/a" + std::to_string(line) +
            ".gif\"> <a href=\"//item.example/item.htm?id=" + std::to_string(56801234567LL + line) +
            "\">link</a></div>\n";
        ++line;
    }
    page += "</body></html>";
    return page;
}

struct Pattern {
    std::string text;
    bool quoteMarker;
};

const std::vector<Pattern>& patterns() {
    static const std::vector<Pattern> all = {
        {"<meta.+?charset=[^\\w]?([-\\w]+)", false},
        {kQuote + "(.*?)" + kQuote + ",", true},
        {"<img id=\"J_ImgBooth\" alt=\"(.*?)\" src=\"(.*?)\" ", false},
        {"<a href=" + kQuote + "#" + kQuote + "><img src=" + kQuote + "(.*?)" + kQuote, true},
        {"src=" + kQuote + "(.*?)" + kQuote, true},
        {"<img align=\"absmiddle\" src=\"(.*?)\">", false},
        {"id=[1-9][0-9]{10,}", false},
    };
    return all;
}

void BM_Pattern(benchmark::State& state) {
    static const std::string page = itemPage();
    const Pattern& p = patterns()[static_cast<std::size_t>(state.range(0))];
    long long matches = 0;
    for (auto _ : state) {
        RegexMatcher re;
        re.execute(p.text, page, false, true, true, p.quoteMarker);
        matches = re.matchCount();
        benchmark::DoNotOptimize(re.subMatch(1, 1));
    }
    state.SetLabel(p.text.substr(0, 40));
    state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK(BM_Pattern)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

void BM_UrlDecode300K(benchmark::State& state) {
    std::string text;
    while (text.size() < 300 * 1024) {
        text += "%7B%22title%22%3A%22%E6%89%8B%E6%9C%BA%E5%A3%B3%22%2C%22n%22%3A1%7D,";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(urlDecode(text, true));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UrlDecode300K)->Unit(benchmark::kMicrosecond);

void BM_GbkToUtf8_300K(benchmark::State& state) {
    std::string text;
    while (text.size() < 300 * 1024) {
        text += "<td>\xD6\xD0\xCE\xC4 abc \xCA\xD6\xBB\xFA</td>";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(gbkToUtf8(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_GbkToUtf8_300K)->Unit(benchmark::kMicrosecond);

void BM_DecodePage300K(benchmark::State& state) {
    static const std::string page = utf8ToGbk(itemPage());
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodePageText(page));
    }
}
BENCHMARK(BM_DecodePage300K)->Unit(benchmark::kMicrosecond);

// ---- Hostile inputs of 1 MB: each must stay under 50 ms. --------------------------------

constexpr std::size_t kMegabyte = 1024 * 1024;

void BM_Hostile_DeepJson(benchmark::State& state) {
    const std::string text(kMegabyte, '[');
    for (auto _ : state) {
        JsonDocument doc;
        benchmark::DoNotOptimize(doc.parse(text));
        benchmark::DoNotOptimize(doc.count("a[0].b"));
    }
}
BENCHMARK(BM_Hostile_DeepJson)->Unit(benchmark::kMillisecond);

void BM_Hostile_QuoteLine(benchmark::State& state) {
    // A line of quotes, and the same ended by a line break before the only comma, so that
    // every start position scans to the end.
    const std::string text =
        state.range(0) == 0 ? std::string(kMegabyte, '"') : std::string(kMegabyte, '"') + "\n,";
    bool ok = false;
    for (auto _ : state) {
        RegexMatcher re;
        ok = re.execute(kQuote + "(.*?)" + kQuote + ",", text, false, true, true, true);
    }
    state.SetLabel(ok ? "completed" : "stopped by the match limit");
}
BENCHMARK(BM_Hostile_QuoteLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Hostile_EveryPattern(benchmark::State& state) {
    // Near-misses for each pattern, repeated to 1 MB.
    const Pattern& p = patterns()[static_cast<std::size_t>(state.range(0))];
    const char* pieces[] = {"<meta ",
                            "\"",
                            "<img id=\"J_ImgBooth\" alt=\"",
                            "<a href=\"#\"><img src=\"",
                            "src=\"",
                            "<img align=\"absmiddle\" src=\"",
                            "id=1234567890"};
    std::string text;
    while (text.size() < kMegabyte) {
        text += pieces[state.range(0)];
    }
    bool ok = false;
    for (auto _ : state) {
        RegexMatcher re;
        ok = re.execute(p.text, text, false, true, true, p.quoteMarker);
    }
    state.SetLabel(ok ? "completed" : "stopped by the match limit");
}
BENCHMARK(BM_Hostile_EveryPattern)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

void BM_Hostile_Percents(benchmark::State& state) {
    const std::string text(kMegabyte, '%');
    for (auto _ : state) {
        benchmark::DoNotOptimize(urlDecode(text, true));
        benchmark::DoNotOptimize(unescapeUnicode(text));
    }
}
BENCHMARK(BM_Hostile_Percents)->Unit(benchmark::kMillisecond);

void BM_Hostile_Unescape(benchmark::State& state) {
    std::string text;
    while (text.size() < kMegabyte) {
        text += "\\u4e2d'\r\n\\x41%u4e2";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(unescapeUnicode(text));
        benchmark::DoNotOptimize(unescapeUnicode(text + "\n"));  // the fallback path
    }
}
BENCHMARK(BM_Hostile_Unescape)->Unit(benchmark::kMillisecond);

void BM_Hostile_Markers(benchmark::State& state) {
    std::string text;
    while (text.size() < kMegabyte) {
        text += "[\"  \"][\"a\",\"1\"]";
    }
    const std::string noRight(kMegabyte, '[');
    for (auto _ : state) {
        benchmark::DoNotOptimize(CollectBetween(text, "[\"", "\"]"));
        benchmark::DoNotOptimize(CollectBetween(noRight, "[", "]"));
        benchmark::DoNotOptimize(TextBetween(noRight, "[", "]", 1, true));
        benchmark::DoNotOptimize(TextLeftOf(noRight, "]"));
    }
}
BENCHMARK(BM_Hostile_Markers)->Unit(benchmark::kMillisecond);

void BM_Hostile_Cookies(benchmark::State& state) {
    std::string oldCookies;
    std::string newCookies;
    for (int i = 0; oldCookies.size() < kMegabyte / 2; ++i) {
        const std::string n = std::to_string(i);
        const std::string m = std::to_string(i % 1000);
        oldCookies.append("k").append(n).append("=v; ");
        newCookies.append("k").append(m).append("=w;;");
    }
    for (auto _ : state) {
        std::string a = oldCookies;
        std::string b = newCookies;
        benchmark::DoNotOptimize(MergeCookieTexts(a, b));
    }
}
BENCHMARK(BM_Hostile_Cookies)->Unit(benchmark::kMillisecond);

void BM_Hostile_JsonPaths(benchmark::State& state) {
    std::string text = "[";
    while (text.size() < kMegabyte) {
        text += "{\"a\":\"" + std::string(100, 'x') + "\",\"b\":[1,2,3]},";
    }
    text += "0]";
    for (auto _ : state) {
        JsonDocument doc;
        doc.parse(text);
        benchmark::DoNotOptimize(doc.count(""));
        benchmark::DoNotOptimize(doc.getValue("[5000].b[2]"));
        benchmark::DoNotOptimize(doc.toJson());
    }
}
BENCHMARK(BM_Hostile_JsonPaths)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
