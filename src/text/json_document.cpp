#include "text/json_document.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "text/codepage.h"

namespace quillet {
namespace {

using Json = nlohmann::ordered_json;

// ---- Paths -----------------------------------------------------------------------------

struct Step {
    bool isIndex = false;
    std::string name;       // member name, or the index as text
    std::size_t index = 0;  // for isIndex
};

bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isIdentifierPart(char c) {
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Splits the text that follows "da" (".a.b[2]", "[0].x", or "") into steps; nullopt where the
// expression would not compile.
std::optional<std::vector<Step>> parseSteps(std::string_view suffix) {
    std::vector<Step> steps;
    std::size_t i = 0;
    while (i < suffix.size()) {
        Step step;
        if (suffix[i] == '.') {
            std::size_t start = ++i;
            if (i >= suffix.size() || !isIdentifierStart(suffix[i])) {
                return std::nullopt;
            }
            while (i < suffix.size() && isIdentifierPart(suffix[i])) {
                ++i;
            }
            step.name = std::string(suffix.substr(start, i - start));
        } else if (suffix[i] == '[') {
            std::size_t start = ++i;
            while (i < suffix.size() && suffix[i] >= '0' && suffix[i] <= '9') {
                ++i;
            }
            if (i == start || i >= suffix.size() || suffix[i] != ']') {
                return std::nullopt;
            }
            step.isIndex = true;
            std::string_view digits = suffix.substr(start, i - start);
            auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), step.index);
            if (ec != std::errc()) {
                step.index = static_cast<std::size_t>(-1);  // beyond any array
                step.name = std::string(digits);
            } else {
                step.name = std::to_string(step.index);  // "007" names member "7"
            }
            ++i;
        } else {
            return std::nullopt;
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

// da.path, da + path for a path beginning with "[", and da alone for an empty path when the
// operation allows it.
std::string targetSuffix(std::string_view path, bool emptyIsRoot) {
    if (path.empty()) {
        return emptyIsRoot ? std::string() : std::string(".");
    }
    if (path.front() == '[') {
        return std::string(path);
    }
    return "." + std::string(path);
}

enum class Outcome { Value, Undefined, Error };

struct Resolved {
    Outcome outcome = Outcome::Error;
    const Json* value = nullptr;
    Json computed;  // a value that is not stored in the document (an array's length)
    const Json& get() const { return value != nullptr ? *value : computed; }
};

// One member access as the script engine does it: reading from null or undefined throws,
// reading a missing member or from a number, string or boolean gives undefined.
Resolved stepInto(const Json& from, const Step& step) {
    Resolved r;
    if (from.is_null()) {
        r.outcome = Outcome::Error;
        return r;
    }
    r.outcome = Outcome::Undefined;
    if (from.is_object()) {
        auto it = from.find(step.name);
        if (it != from.end()) {
            r.outcome = Outcome::Value;
            r.value = &*it;
        }
    } else if (from.is_array()) {
        if (step.isIndex && step.index < from.size()) {
            r.outcome = Outcome::Value;
            r.value = &from[step.index];
        } else if (!step.isIndex && step.name == "length") {
            r.outcome = Outcome::Value;
            r.computed = from.size();
        }
    } else if (from.is_string() && !step.isIndex && step.name == "length") {
        r.outcome = Outcome::Value;
        r.computed = toWide(from.get_ref<const std::string&>()).size();
    }
    return r;
}

Resolved resolve(const Json& root, const std::string& suffix) {
    Resolved r;
    auto steps = parseSteps(suffix);
    if (!steps) {
        return r;
    }
    r.outcome = Outcome::Value;
    r.value = &root;
    for (const Step& step : *steps) {
        if (r.outcome == Outcome::Undefined) {
            return Resolved{};  // reading a member of undefined throws
        }
        if (r.value == nullptr) {
            // A computed value is a number: its members are undefined.
            Resolved undefined;
            undefined.outcome = Outcome::Undefined;
            r = std::move(undefined);
            continue;
        }
        const Json& from = *r.value;
        r = stepInto(from, step);
    }
    return r;
}

// The place an assignment writes to: the container and the last step; nullptr when the
// assignment would throw or do nothing.
struct Slot {
    Json* container = nullptr;
    Step last;
};

Slot assignableSlot(Json& root, const std::string& suffix) {
    Slot slot;
    auto steps = parseSteps(suffix);
    if (!steps || steps->empty()) {
        return slot;
    }
    Json* current = &root;
    for (std::size_t i = 0; i + 1 < steps->size(); ++i) {
        Resolved r = stepInto(*current, (*steps)[i]);
        if (r.outcome != Outcome::Value || r.value == nullptr) {
            return slot;
        }
        current = const_cast<Json*>(r.value);
    }
    if (current->is_object() || current->is_array()) {
        slot.container = current;
        slot.last = steps->back();
    }
    return slot;
}

// The slot's value, created when missing; nullptr where a script engine would set a property
// that JSON cannot hold (a named member of an array).
Json* slotValue(const Slot& slot) {
    Json& c = *slot.container;
    if (c.is_object()) {
        return &c[slot.last.name];
    }
    if (!slot.last.isIndex || slot.last.index > (1u << 24)) {
        return nullptr;
    }
    if (slot.last.index >= c.size()) {
        for (std::size_t k = c.size(); k <= slot.last.index; ++k) {
            c.push_back(nullptr);
        }
    }
    return &c[slot.last.index];
}

// ---- Values ----------------------------------------------------------------------------

// Counts nesting outside strings so that a deep text is refused before anything recurses.
bool withinDepth(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > JsonDocument::kMaxDepth) {
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

std::optional<Json> parseJson(std::string_view text) {
    if (!withinDepth(text)) {
        return std::nullopt;
    }
    std::string valid = sanitizeUtf8(text);
    try {
        Json value = Json::parse(valid, nullptr, false);
        if (value.is_discarded()) {
            return std::nullopt;
        }
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Number to text the way script numbers print (shortest round trip, exponent past 1e21).
std::string scriptNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    if (value == 0) {
        return "0";
    }
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string sci(buf, end);
    std::string sign;
    if (sci.front() == '-') {
        sign = "-";
        sci.erase(0, 1);
    }
    std::size_t e = sci.find('e');
    std::string digits = sci.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    int n = std::atoi(sci.c_str() + e + 1) + 1;  // position of the decimal point
    int k = static_cast<int>(digits.size());
    std::string out;
    if (k <= n && n <= 21) {
        out = digits + std::string(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out = digits.substr(0, static_cast<std::size_t>(n)) + "." +
              digits.substr(static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out = "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    } else {
        out = digits.substr(0, 1);
        if (k > 1) {
            out += "." + digits.substr(1);
        }
        out += (n - 1 >= 0 ? "e+" : "e-") + std::to_string(std::abs(n - 1));
    }
    return sign + out;
}

void quoteString(const std::string& s, std::string& out) {
    static const char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out.push_back(kHex[(c >> 4) & 0xF]);
                    out.push_back(kHex[c & 0xF]);
                } else {
                    out.push_back(c);
                }
        }
    }
    out.push_back('"');
}

// Compact JSON as the script engine's stringify writes it. Depth is bounded by parse.
void stringify(const Json& v, std::string& out) {
    switch (v.type()) {
        case Json::value_t::null:
        case Json::value_t::discarded:
        case Json::value_t::binary:
            out += "null";
            break;
        case Json::value_t::boolean:
            out += v.get<bool>() ? "true" : "false";
            break;
        case Json::value_t::number_integer:
            out += std::to_string(v.get<std::int64_t>());
            break;
        case Json::value_t::number_unsigned:
            out += std::to_string(v.get<std::uint64_t>());
            break;
        case Json::value_t::number_float:
            out += scriptNumber(v.get<double>());
            break;
        case Json::value_t::string:
            quoteString(v.get_ref<const std::string&>(), out);
            break;
        case Json::value_t::array: {
            out.push_back('[');
            bool first = true;
            for (const Json& item : v) {
                if (!first) {
                    out.push_back(',');
                }
                first = false;
                stringify(item, out);
            }
            out.push_back(']');
            break;
        }
        case Json::value_t::object: {
            out.push_back('{');
            bool first = true;
            for (auto it = v.begin(); it != v.end(); ++it) {
                if (!first) {
                    out.push_back(',');
                }
                first = false;
                quoteString(it.key(), out);
                out.push_back(':');
                stringify(it.value(), out);
            }
            out.push_back('}');
            break;
        }
    }
}

std::string stringifyResolved(const Resolved& r) {
    if (r.outcome != Outcome::Value) {
        return {};
    }
    std::string out;
    stringify(r.get(), out);
    return out;
}

std::string valueText(const Resolved& r) {
    if (r.outcome != Outcome::Value) {
        return {};
    }
    const Json& v = r.get();
    if (v.is_number()) {
        return formatNumber13g(v.get<double>());
    }
    if (v.is_string()) {
        return v.get<std::string>();
    }
    if (v.is_boolean()) {
        return v.get<bool>() ? "-1" : "0";
    }
    if (v.is_null()) {
        return {};
    }
    std::string out;
    stringify(v, out);
    return out;
}

// The value of a text that a script engine would have evaluated, taken as JSON instead.
std::optional<Json> evaluatedValue(std::string_view text) {
    return parseJson(text);
}

std::optional<Json> quotedOrRaw(std::string_view value, bool raw) {
    if (raw) {
        return evaluatedValue(value);
    }
    return Json(sanitizeUtf8(value));
}

}  // namespace

std::string formatNumber13g(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13g", value);
    std::string out(buf);
    std::size_t e = out.find('e');
    if (e != std::string::npos && e + 2 < out.size()) {
        std::size_t digits = out.size() - (e + 2);
        if (digits < 3) {
            out.insert(e + 2, 3 - digits, '0');
        }
    }
    return out;
}

JsonDocument::JsonDocument() : root_(std::make_unique<Json>(Json::object())) {}
JsonDocument::~JsonDocument() = default;
JsonDocument::JsonDocument(const JsonDocument& other)
    : root_(std::make_unique<Json>(*other.root_)) {}
JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
    if (this != &other) {
        *root_ = *other.root_;
    }
    return *this;
}
JsonDocument::JsonDocument(JsonDocument&& other) noexcept
    : root_(std::exchange(other.root_, std::make_unique<Json>(Json::object()))) {}
JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept {
    std::swap(root_, other.root_);
    return *this;
}

void JsonDocument::init() {
    *root_ = Json::object();
}

bool JsonDocument::parse(std::string_view text) {
    auto value = parseJson(text);
    *root_ = value ? std::move(*value) : Json();
    return !root_->is_null();
}

std::string JsonDocument::toJson() const {
    std::string out;
    stringify(*root_, out);
    return out;
}

void JsonDocument::setValue(std::string_view path, std::string_view value, bool asValue) {
    if (asValue) {
        setExpression(path, value.empty() ? std::string_view("{}") : value);
        return;
    }
    Slot slot = assignableSlot(*root_, targetSuffix(path, false));
    if (slot.container == nullptr) {
        return;
    }
    if (Json* target = slotValue(slot)) {
        *target = sanitizeUtf8(value);
    }
}

void JsonDocument::setExpression(std::string_view path, std::string_view expression) {
    auto value = evaluatedValue(expression);
    if (!value) {
        return;
    }
    Slot slot = assignableSlot(*root_, targetSuffix(path, false));
    if (slot.container == nullptr) {
        return;
    }
    if (Json* target = slotValue(slot)) {
        *target = std::move(*value);
    }
}

void JsonDocument::setNumber(std::string_view path, double number) {
    if (!std::isfinite(number)) {
        return;
    }
    // The number travels as "%.13g" text, so it keeps 13 significant digits.
    double rounded = std::strtod(formatNumber13g(number).c_str(), nullptr);
    Slot slot = assignableSlot(*root_, targetSuffix(path, false));
    if (slot.container == nullptr) {
        return;
    }
    if (Json* target = slotValue(slot)) {
        *target = rounded;
    }
}

double JsonDocument::getNumber(std::string_view path) const {
    Resolved r = resolve(*root_, targetSuffix(path, false));
    if (r.outcome != Outcome::Value) {
        return 0;
    }
    const Json& v = r.get();
    if (v.is_number()) {
        return v.get<double>();
    }
    if (v.is_boolean()) {
        return v.get<bool>() ? -1 : 0;
    }
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        std::size_t b = s.find_first_not_of(" \t\r\n");
        std::size_t e = s.find_last_not_of(" \t\r\n");
        if (b == std::string::npos) {
            return 0;
        }
        std::string trimmed = s.substr(b, e - b + 1);
        char* end = nullptr;
        double d = std::strtod(trimmed.c_str(), &end);
        if (end == trimmed.c_str() + trimmed.size() && std::isfinite(d)) {
            return d;
        }
    }
    return 0;
}

std::string JsonDocument::getJson(std::string_view path) const {
    return stringifyResolved(resolve(*root_, targetSuffix(path, false)));
}

std::string JsonDocument::getValue(std::string_view path, bool asJson) const {
    Resolved r = resolve(*root_, targetSuffix(path, false));
    return asJson ? stringifyResolved(r) : valueText(r);
}

JsonDocument JsonDocument::getObject(std::string_view path) const {
    JsonDocument doc;
    Resolved r = resolve(*root_, targetSuffix(path, false));
    *doc.root_ = r.outcome == Outcome::Value ? r.get() : Json();
    return doc;
}

long long JsonDocument::count(std::string_view path) const {
    if (root_->is_null()) {
        return 0;
    }
    Resolved r = resolve(*root_, targetSuffix(path, true));
    if (r.outcome == Outcome::Error) {
        return 0;
    }
    if (r.outcome == Outcome::Undefined || r.get().is_null()) {
        return -2;
    }
    const Json& v = r.get();
    if (v.is_array() || v.is_object()) {
        return static_cast<long long>(v.size());
    }
    return 0;
}

void JsonDocument::push(std::string_view value, std::string_view path, bool raw) {
    auto item = quotedOrRaw(value, raw);
    if (!item) {
        return;
    }
    Json* target = root_.get();
    if (!path.empty()) {
        Slot slot = assignableSlot(*root_, targetSuffix(path, false));
        if (slot.container == nullptr || (target = slotValue(slot)) == nullptr) {
            return;
        }
    }
    if (!target->is_array()) {
        *target = Json::array();
    }
    target->push_back(std::move(*item));
}

JsonDocument JsonDocument::getElement(long long index, std::string_view path) const {
    JsonDocument doc;
    *doc.root_ = Json();
    if (index < 0) {
        return doc;
    }
    Resolved r = resolve(*root_, targetSuffix(path, true) + "[" + std::to_string(index) + "]");
    if (r.outcome == Outcome::Value) {
        *doc.root_ = r.get();
    }
    return doc;
}

std::string JsonDocument::getElementValue(long long index, std::string_view path,
                                          bool asJson) const {
    if (index < 0) {
        return {};
    }
    Resolved r = resolve(*root_, targetSuffix(path, true) + "[" + std::to_string(index) + "]");
    return asJson ? stringifyResolved(r) : valueText(r);
}

void JsonDocument::setElement(long long index, std::string_view value, bool raw) {
    auto item = quotedOrRaw(value, raw);
    if (!item || index < 0) {
        return;
    }
    Slot slot = assignableSlot(*root_, "[" + std::to_string(index) + "]");
    if (slot.container == nullptr) {
        return;
    }
    if (Json* target = slotValue(slot)) {
        *target = std::move(*item);
    }
}

void JsonDocument::removeElement(long long index) {
    if (!root_->is_array()) {
        return;
    }
    long long size = static_cast<long long>(root_->size());
    if (index < 0) {
        index = std::max(0LL, index + size);
    }
    if (index < size) {
        root_->erase(static_cast<std::size_t>(index));
    }
}

void JsonDocument::removeMember(std::string_view path) {
    Slot slot = assignableSlot(*root_, targetSuffix(path, false));
    if (slot.container == nullptr) {
        return;
    }
    Json& c = *slot.container;
    if (c.is_object()) {
        c.erase(slot.last.name);
    } else if (slot.last.isIndex && slot.last.index < c.size()) {
        c[slot.last.index] = nullptr;  // a deleted element leaves a hole
    }
}

void JsonDocument::reset(int kind) {
    if (kind == kNull || kind == kObject) {
        *root_ = Json::object();
    } else if (kind == kArray) {
        *root_ = Json::array();
    }
}

void JsonDocument::setRoot(std::string_view value, bool raw) {
    if (auto item = quotedOrRaw(value, raw)) {
        *root_ = std::move(*item);
    }
}

bool JsonDocument::has(std::string_view path) const {
    Resolved r = resolve(*root_, targetSuffix(path, false));
    return r.outcome == Outcome::Value && !r.get().is_null();
}

long long JsonDocument::memberNames(std::vector<std::string>& list, std::string_view path) const {
    list.clear();
    Resolved r = resolve(*root_, targetSuffix(path, true));
    if (r.outcome != Outcome::Value) {
        return 0;
    }
    const Json& v = r.get();
    if (v.is_object()) {
        for (auto it = v.begin(); it != v.end(); ++it) {
            list.push_back(it.key());
        }
    } else if (v.is_array()) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            list.push_back(std::to_string(i));
        }
    }
    return static_cast<long long>(list.size());
}

int JsonDocument::typeOf(std::string_view path) const {
    Resolved r = resolve(*root_, targetSuffix(path, true));
    if (r.outcome == Outcome::Error) {
        return kOther;
    }
    if (r.outcome == Outcome::Undefined) {
        return kNull;
    }
    switch (r.get().type()) {
        case Json::value_t::null:
            return kNull;
        case Json::value_t::boolean:
            return kBoolean;
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            return kNumber;
        case Json::value_t::string:
            return kString;
        case Json::value_t::array:
            return kArray;
        case Json::value_t::object:
            return kObject;
        default:
            return kOther;
    }
}

void JsonDocument::clear() {
    *root_ = Json::object();
}

}  // namespace quillet
