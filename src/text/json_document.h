#pragma once
// One JSON value read and changed through member paths such as listItem[3].itemNumId.
// Parsing is strict JSON with a nesting limit; nothing is ever evaluated as script. Value texts
// that a script engine would evaluate are taken as JSON, and an invalid one changes nothing.

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class JsonDocument {
public:
    // Kind codes of typeOf (and reset).
    static constexpr int kNull = 0;
    static constexpr int kBoolean = 1;
    static constexpr int kNumber = 2;
    static constexpr int kObject = 4;
    static constexpr int kArray = 5;
    static constexpr int kString = 6;
    static constexpr int kOther = -1;

    // Deeper documents are refused by parse, so that no input can exhaust the stack.
    static constexpr int kMaxDepth = 512;

    JsonDocument();  // the root is an empty object
    ~JsonDocument();
    JsonDocument(const JsonDocument& other);
    JsonDocument& operator=(const JsonDocument& other);
    JsonDocument(JsonDocument&& other) noexcept;
    JsonDocument& operator=(JsonDocument&& other) noexcept;

    void init();  // back to an empty object

    // Replaces the root; false (root null) when the text is not JSON, or is null.
    bool parse(std::string_view text);

    std::string toJson() const;
    // asValue false stores value as a string; true takes it as JSON ("" counts as "{}").
    void setValue(std::string_view path, std::string_view value, bool asValue = false);
    void setExpression(std::string_view path, std::string_view expression);
    void setNumber(std::string_view path, double number);
    double getNumber(std::string_view path) const;
    std::string getJson(std::string_view path) const;
    // A number as "%.13g" with a three-digit exponent, true as "-1", false as "0", a string
    // as it is; null, missing or unreadable paths as "". asJson gives compact JSON instead.
    std::string getValue(std::string_view path, bool asJson = false) const;
    JsonDocument getObject(std::string_view path) const;
    // Elements of an array or members of an object; -2 for null or a missing last member;
    // 0 when an earlier step is missing or null, the root is null, or the path is malformed.
    long long count(std::string_view path) const;
    // Makes the target an array when it is not one and appends value (a string unless raw,
    // JSON when raw).
    void push(std::string_view value, std::string_view path = {}, bool raw = false);
    JsonDocument getElement(long long index, std::string_view path = {}) const;
    std::string getElementValue(long long index, std::string_view path = {},
                                bool asJson = false) const;
    void setElement(long long index, std::string_view value, bool raw = false);
    void removeElement(long long index);
    void removeMember(std::string_view path);
    void reset(int kind);
    void setRoot(std::string_view value, bool raw = false);
    bool has(std::string_view path) const;
    // Own member names in document order (indexes for an array); the list is replaced.
    long long memberNames(std::vector<std::string>& list, std::string_view path = {}) const;
    int typeOf(std::string_view path = {}) const;
    void clear();

private:
    std::unique_ptr<nlohmann::ordered_json> root_;
};

// The "%.13g" form with an exponent of at least three digits (1e+013), as reads give numbers.
std::string formatNumber13g(double value);

}  // namespace quillet
