#include "Halvane/Sessions/SettingsTextCheck.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

namespace halvane::SettingsTextCheck {

namespace {

using json = nlohmann::json;

// Walks the text once, keeping the keys seen in each open object.
class Checker final : public nlohmann::json_sax<json> {
public:
    std::optional<std::string> found;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t value, const string_t& text) override {
        // Integer syntax that did not fit 64 bits was read as a float.
        if (text.find_first_of(".eE") == string_t::npos || !std::isfinite(value)) {
            found = "the number " + text + ", too large to be written back unchanged";
            return false;
        }
        return true;
    }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override {
        m_keys.emplace_back();
        return true;
    }
    bool key(string_t& name) override {
        if (!m_keys.back().insert(name).second) {
            found = "the key \"" + name + "\" twice in one object";
            return false;
        }
        return true;
    }
    bool end_object() override {
        m_keys.pop_back();
        return true;
    }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    std::vector<std::set<std::string>> m_keys;
};

}  // namespace

std::optional<std::string> valueARewriteWouldChange(std::string_view text) {
    Checker checker;
    json::sax_parse(text.begin(), text.end(), &checker, json::input_format_t::json, false);
    return checker.found;
}

}  // namespace halvane::SettingsTextCheck
